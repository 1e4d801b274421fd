<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>FilterDialog</name>
    <message>
        <source>Filter</source>
        <translation>Filtre</translation>
    </message>
    <message>
        <source>Nur eingeschaltete Teile wirken. Ausgelassene Lufträume werden weder geschrieben noch als fehlerhaft gemeldet.</source>
        <translation>Seules les parties activées s&apos;appliquent. Les espaces aériens écartés ne sont ni écrits ni signalés comme erronés.</translation>
    </message>
    <message>
        <source>&amp;Klassen und Typen weglassen</source>
        <translation>Écarter les &amp;classes et types</translation>
    </message>
    <message>
        <source>E, F, G, FIS</source>
        <translation>E, F, G, FIS</translation>
    </message>
    <message>
        <source>Wörter aus AC oder AY, durch Kommas getrennt</source>
        <translation>Mots de AC ou AY, séparés par des virgules</translation>
    </message>
    <message>
        <source>&amp;Untergrenze höchstens</source>
        <translation>&amp;Plancher au plus</translation>
    </message>
    <message>
        <source>FL100</source>
        <translation>FL100</translation>
    </message>
    <message>
        <source>Wie eine AL-Angabe: FL100, 3000m, 9500ft; ohne Einheit in der Basis Einheit für Höhen</source>
        <translation>Comme une limite AL : FL100, 3000m, 9500ft ; sans unité dans l&apos;unité de base des hauteurs</translation>
    </message>
    <message>
        <source>Nur im U&amp;mkreis</source>
        <translation>Seulement dans un &amp;rayon</translation>
    </message>
    <message>
        <source>46.5, 7.5, 50</source>
        <translation>46.5, 7.5, 50</translation>
    </message>
    <message>
        <source>Breite, Länge in Grad (mit Punkt), Abstand in km</source>
        <translation>Latitude, longitude en degrés (avec un point), distance en km</translation>
    </message>
    <message>
        <source>Nur im &amp;Gebiet</source>
        <translation>Seulement dans la &amp;zone</translation>
    </message>
    <message>
        <source>45.8, 5.9, 47.8, 10.5</source>
        <translation>45.8, 5.9, 47.8, 10.5</translation>
    </message>
    <message>
        <source>Süd, West, Nord, Ost in Grad (mit Punkt)</source>
        <translation>Sud, ouest, nord, est en degrés (avec un point)</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Abbrechen</source>
        <translation>&amp;Annuler</translation>
    </message>
    <message>
        <source>Für „%1“ fehlt der Wert. Geben Sie ihn ein oder schalten Sie den Teil aus.</source>
        <translation>« %1 » n&apos;a pas de valeur. Saisissez-la ou désactivez cette partie.</translation>
    </message>
    <message>
        <source>„%1“ kann nicht gelesen werden: %2</source>
        <translation>« %1 » ne peut pas être lu : %2</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>openAir to KAF Konverter</source>
        <translation>Convertisseur OpenAir vers KAF</translation>
    </message>
    <message>
        <source>OpenAir Datei</source>
        <translation>Fichier OpenAir</translation>
    </message>
    <message>
        <source>&amp;Datei</source>
        <translation>&amp;Fichier</translation>
    </message>
    <message>
        <source>Basis Einheit für Höhen</source>
        <translation>Unité de base des hauteurs</translation>
    </message>
    <message>
        <source>Meter [m]</source>
        <translation>Mètres [m]</translation>
    </message>
    <message>
        <source>Fuss [ft]</source>
        <translation>Pieds [ft]</translation>
    </message>
    <message>
        <source>KAF Datei</source>
        <translation>Fichier KAF</translation>
    </message>
    <message>
        <source>D&amp;atei</source>
        <translation>F&amp;ichier</translation>
    </message>
    <message>
        <source>Lufträume automatisch Schliessen</source>
        <translation>Fermer automatiquement les espaces aériens</translation>
    </message>
    <message>
        <source>Warn Abstand</source>
        <translation>Distance d&apos;alerte</translation>
    </message>
    <message>
        <source>&amp;Umwandeln</source>
        <translation>&amp;Convertir</translation>
    </message>
    <message>
        <source>&amp;Beenden</source>
        <translation>&amp;Quitter</translation>
    </message>
    <message>
        <source>OpenAir (*.txt);;Korvel Airspace Formated (*.kaf)</source>
        <translation>OpenAir (*.txt);;Korvel Airspace Formated (*.kaf)</translation>
    </message>
    <message>
        <source>Korvel Airspace Formated (*.kaf)</source>
        <translation>Korvel Airspace Formated (*.kaf)</translation>
    </message>
    <message>
        <source>Lange Lufträume nach aussen vereinfachen</source>
        <translation>Simplifier les longs espaces vers l&apos;extérieur</translation>
    </message>
    <message>
        <source>&amp;Filter...</source>
        <translation>Fi&amp;ltre...</translation>
    </message>
    <message>
        <source>&amp;Vorschau</source>
        <translation>&amp;Aperçu</translation>
    </message>
    <message>
        <source>Der Filter kann nicht gelesen werden: %1
Bitte berichtigen Sie ihn mit „Filter...“.</source>
        <translation>Le filtre ne peut pas être lu : %1
Veuillez le corriger avec « Filtre... ».</translation>
    </message>
</context>
<context>
    <name>PreviewDialog</name>
    <message>
        <source>%1
Klasse %2
Untergrenze %3 m
Obergrenze %4 m</source>
        <translation>%1
Classe %2
Plancher %3 m
Plafond %4 m</translation>
    </message>
    <message>
        <source>Umriss angepasst</source>
        <translation>contour ajusté</translation>
    </message>
    <message>
        <source>nicht geschrieben: fehlerhaft</source>
        <translation>non écrit : erroné</translation>
    </message>
    <message>
        <source>nicht geschrieben: zu viele Eckpunkte</source>
        <translation>non écrit : trop de sommets</translation>
    </message>
    <message>
        <source>… und %1 weitere</source>
        <translation>… et %1 de plus</translation>
    </message>
    <message>
        <source>Vorschau</source>
        <translation>Aperçu</translation>
    </message>
    <message>
        <source>Nicht geschriebene Lufträume: %1</source>
        <translation>Espaces aériens non écrits : %1</translation>
    </message>
    <message>
        <source>%1 (fehlerhaft)</source>
        <translation>%1 (erroné)</translation>
    </message>
    <message>
        <source>%1 (zu viele Eckpunkte)</source>
        <translation>%1 (trop de sommets)</translation>
    </message>
    <message>
        <source>Mausrad: zoomen, Ziehen: verschieben, Doppelklick: alles zeigen</source>
        <translation>Molette : zoomer, glisser : déplacer, double clic : tout afficher</translation>
    </message>
    <message>
        <source>&amp;Schließen</source>
        <translation>&amp;Fermer</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Unbekannte Option: %1</source>
        <translation>Option inconnue : %1</translation>
    </message>
    <message>
        <source>Der Option %1 fehlt ihr Wert.</source>
        <translation>Il manque la valeur de l&apos;option %1.</translation>
    </message>
    <message>
        <source>Keine Eingabedatei angegeben (-in).</source>
        <translation>Aucun fichier d&apos;entrée indiqué (-in).</translation>
    </message>
    <message>
        <source>Zonvert Hilfe</source>
        <translation>Aide de Zonvert</translation>
    </message>
    <message>
        <source>Die folgenden Parameter werden unterstützt:

  -in	&lt;name&gt;	Name und Pfad der umzuwandelnden Datei.
  -out	&lt;name&gt;	Name und Pfad der Ausgabedatei.
  -wm	&lt;zahl&gt;	Warndistanz in Metern.
  -wf	&lt;zahl&gt;	Warndistanz in Fuss (wird in Meter umgerechnet).
</source>
        <translation>Les paramètres suivants sont pris en charge :

  -in	&lt;nom&gt;	Nom et chemin du fichier à convertir.
  -out	&lt;nom&gt;	Nom et chemin du fichier de sortie.
  -wm	&lt;nombre&gt;	Distance d&apos;alerte en mètres.
  -wf	&lt;nombre&gt;	Distance d&apos;alerte en pieds (convertie en mètres).
</translation>
    </message>
    <message>
        <source>
bitte bereinigen Sie diese.
</source>
        <translation>
veuillez les corriger.
</translation>
    </message>
    <message>
        <source>FEHLER</source>
        <translation>ERREUR</translation>
    </message>
    <message>
        <source>Die Datei %1 konnte nicht geöffnet werden.</source>
        <translation>Le fichier %1 n&apos;a pas pu être ouvert.</translation>
    </message>
    <message>
        <source>Die Datei %1 konnte nicht geschrieben werden.</source>
        <translation>Le fichier %1 n&apos;a pas pu être écrit.</translation>
    </message>
    <message>
        <source>  - %1 hat %2 Segmente</source>
        <translation>  - %1 a %2 segments</translation>
    </message>
    <message>
        <source>  - %1  -- %2</source>
        <translation>  - %1  -- %2</translation>
    </message>
    <message>
        <source>Die folgenden Lufträume haben Fehler:

</source>
        <translation>Les espaces aériens suivants contiennent des erreurs :

</translation>
    </message>
    <message>
        <source>Die folgenden Lufträume haben zu viele Eckpunkte:

</source>
        <translation>Les espaces aériens suivants ont trop de sommets :

</translation>
    </message>
    <message>
        <source>Umwandlung abgeschlossen</source>
        <translation>Conversion terminée</translation>
    </message>
    <message>
        <source>Umwandlung der Datei %1
nach %2 erfolgreich

%3/%4 Lufträume umgewandelt.</source>
        <translation>Conversion du fichier %1
vers %2 réussie

%3/%4 espaces aériens convertis.</translation>
    </message>
    <message>
        <source>Datei existiert bereits</source>
        <translation>Le fichier existe déjà</translation>
    </message>
    <message>
        <source>Soll die Datei %1 überschrieben oder ergänzt werden?</source>
        <translation>Faut-il écraser le fichier %1 ou le compléter ?</translation>
    </message>
    <message>
        <source> &amp;Anhängen </source>
        <translation> &amp;Ajouter </translation>
    </message>
    <message>
        <source> &amp;Überschreiben </source>
        <translation> &amp;Écraser </translation>
    </message>
    <message>
        <source>radius difference &gt; 0.2[nm]</source>
        <translation>différence de rayon &gt; 0.2[nm]</translation>
    </message>
    <message>
        <source>outline has no extent: all its points are the same</source>
        <translation>le contour n&apos;a pas d&apos;étendue : tous ses points sont identiques</translation>
    </message>
    <message>
        <source>segment %1 : </source>
        <translation>segment %1 : </translation>
    </message>
    <message>
        <source>line %1: arc or circle without a centre: %2</source>
        <translation>ligne %1 : arc ou cercle sans centre : %2</translation>
    </message>
    <message>
        <source>line %1: coordinates not readable: %2</source>
        <translation>ligne %1 : coordonnées illisibles : %2</translation>
    </message>
    <message>
        <source>%1 Höhenangaben ohne Einheit wurden in %2 gelesen.</source>
        <translation>%1 hauteurs sans unité ont été lues en %2.</translation>
    </message>
    <message>
        <source>Fuss</source>
        <translation>pieds</translation>
    </message>
    <message>
        <source>Metern</source>
        <translation>mètres</translation>
    </message>
    <message>
        <source>%1 Höhenangaben über Grund wurden als Höhen über Meer geschrieben.</source>
        <translation>%1 hauteurs au-dessus du sol ont été écrites comme hauteurs au-dessus de la mer.</translation>
    </message>
    <message>
        <source>no AC or AN record</source>
        <translation>aucun enregistrement AC ou AN</translation>
    </message>
    <message>
        <source>floor above ceiling</source>
        <translation>plancher au-dessus du plafond</translation>
    </message>
    <message>
        <source>no boundary</source>
        <translation>aucun contour</translation>
    </message>
    <message>
        <source>ohne %1</source>
        <translation>sans %1</translation>
    </message>
    <message>
        <source>Untergrenze bis %1</source>
        <translation>plancher jusqu&apos;à %1</translation>
    </message>
    <message>
        <source>%1 km um %2, %3</source>
        <translation>%1 km autour de %2, %3</translation>
    </message>
    <message>
        <source>Gebiet %1</source>
        <translation>zone %1</translation>
    </message>
    <message>
        <source>kein Filter</source>
        <translation>aucun filtre</translation>
    </message>
    <message>
        <source>-wm braucht eine ganze Zahl von 0 bis %1 (Meter), nicht: %2</source>
        <translation>-wm demande un nombre entier de 0 à %1 (mètres), pas : %2</translation>
    </message>
    <message>
        <source>-wf braucht eine ganze Zahl von 0 bis %1 (Fuss), nicht: %2</source>
        <translation>-wf demande un nombre entier de 0 à %1 (pieds), pas : %2</translation>
    </message>
    <message>
        <source>Keine Lufträume gefunden in %1</source>
        <translation>aucun espace aérien trouvé dans %1</translation>
    </message>
    <message>
        <source>Die Datei %1 konnte nicht umgewandelt werden: zu wenig Arbeitsspeicher.</source>
        <translation>Le fichier %1 n&apos;a pas pu être converti : mémoire insuffisante.</translation>
    </message>
    <message>
        <source>Die Datei %1 ist die Eingabedatei und wird nicht überschrieben.</source>
        <translation>Le fichier %1 est le fichier d&apos;entrée et n&apos;est pas écrasé.</translation>
    </message>
    <message>
        <source>Die Datei %1 ist zu gross: gelesen werden höchstens %2 MiB.</source>
        <translation>Le fichier %1 est trop grand : %2 Mio au plus sont lus.</translation>
    </message>
    <message>
        <source>nicht geschrieben</source>
        <translation>non écrit</translation>
    </message>
    <message>
        <source>Umriss vor dem Anpassen</source>
        <translation>contour avant ajustement</translation>
    </message>
    <message>
        <source>%1, %2: %3/%4 umgewandelt</source>
        <translation>%1, %2 : %3/%4 convertis</translation>
    </message>
    <message>
        <source>-preview braucht einen Dateinamen mit .png oder .svg, nicht: %1</source>
        <translation>-preview demande un nom de fichier en .png ou .svg, pas : %1</translation>
    </message>
    <message>
        <source>Der Wert von %1 ist nicht lesbar.</source>
        <translation>La valeur de %1 est illisible.</translation>
    </message>
    <message>
        <source>  - %1: %2 -&gt; %3 Segmente, bis %4 m grösser</source>
        <translation>  - %1 : %2 -&gt; %3 segments, jusqu&apos;à %4 m plus grand</translation>
    </message>
    <message>
        <source>Lufträume vereinfacht</source>
        <translation>Espaces aériens simplifiés</translation>
    </message>
    <message>
        <source>Folgende Lufträume wurden vereinfacht:

</source>
        <translation>Les espaces aériens suivants ont été simplifiés :

</translation>
    </message>
    <message>
        <source>%1 Lufträume durch Filter ausgelassen</source>
        <translation>%1 espaces aériens écartés par le filtre</translation>
    </message>
    <message>
        <source>%1 nach Klasse oder Typ</source>
        <translation>%1 par classe ou type</translation>
    </message>
    <message>
        <source>%1 mit Untergrenze über %2</source>
        <translation>%1 avec un plancher au-dessus de %2</translation>
    </message>
    <message>
        <source>%1 ausserhalb des Gebiets</source>
        <translation>%1 hors de la zone</translation>
    </message>
    <message>
        <source>Aufruf: zonvert-cli -in &lt;name&gt; [-in &lt;name&gt; ...] [-out &lt;name&gt;] [-wm &lt;zahl&gt; | -wf &lt;zahl&gt;] [-hf]
                   [-close] [-fit] [-append] [-skip &lt;wörter&gt;] [-max-floor &lt;höhe&gt;]
                   [-near &lt;breite,länge,km&gt;] [-box &lt;süd,west,nord,ost&gt;] [-preview &lt;name&gt;] [-h]

Wandelt OpenAir-Dateien in eine kaf-Luftraumdatei um.

  -in &lt;name&gt;    Name und Pfad der umzuwandelnden Datei; mehrmals angegeben kommen alle
                Dateien nacheinander in eine Ausgabedatei, mit eindeutigen Namen.
  -out &lt;name&gt;   Name und Pfad der Ausgabedatei oder ein Verzeichnis; ohne Angabe
                der Name der (ersten) Eingabedatei mit der Endung .kaf; - schreibt auf die
                Standardausgabe (Meldungen dann auf die Standardfehlerausgabe).
  -wm &lt;zahl&gt;    Warndistanz in Metern (0 bis 10000; ohne Angabe oder 0: 400).
  -wf &lt;zahl&gt;    Warndistanz in Fuss (0 bis 32811; wird in Meter umgerechnet).
  -hf           Höhen ohne Einheit sind Fuss (sonst Meter).
  -close        Offene Umrisse schließen.
  -fit          Lufträume mit mehr als 100 Segmenten nach aussen vereinfachen
                (Wellenfenster nach innen) statt sie auszulassen.
  -append       An eine bestehende Ausgabedatei anhängen (sonst wird sie ersetzt).
  -skip &lt;wörter&gt;  Klassen (AC) und Typen (AY) auslassen, durch Kommas getrennt: E,F,G,FIS.
  -max-floor &lt;höhe&gt;  Lufträume auslassen, deren Untergrenze höher liegt (wie AL: FL100).
  -near &lt;breite,länge,km&gt;  Nur Lufträume bis km um den Punkt (Grad mit Punkt).
  -box &lt;süd,west,nord,ost&gt;  Nur Lufträume, die das Gebiet berühren.
  -preview &lt;name&gt;  Bild der geschriebenen Lufträume als .png oder .svg.
  -h, -help     Diese Hilfe anzeigen.

Höhen: Eine Einheit gilt, wenn sie das Wort direkt nach der Zahl ist (ft, f, feet, m,
meter, meters, metre, metres; 1000ft, 3500 F AMSL). Das M von MSL und das F von SFC sind
keine Einheit: 3500MSL wird in der Grundeinheit gelesen, Meter oder mit -hf Fuss.
Flugflächen sind Fuss (FL95), mit M danach Meter (FL95 M). Ein Text ohne Zahl (NOTAM)
wird vermerkt und lässt die Grenze offen. Die Datei kennt nur Meter über Meer: Höhen über
Grund (AGL, ASFC, SFC, GND nach der Zahl) werden als Höhen über Meer geschrieben. Die
Zusammenfassung nennt, wie viele Höhen ohne Einheit und über Grund geschrieben wurden.

Rückgabewert: 0 alle Lufträume geschrieben, 3 einige oder keine geschrieben,
2 Dateifehler, 1 Aufruffehler, 128 + Signalnummer nach SIGTERM oder SIGINT.
</source>
        <translation>Utilisation : zonvert-cli -in &lt;nom&gt; [-in &lt;nom&gt; ...] [-out &lt;nom&gt;] [-wm &lt;nombre&gt; | -wf &lt;nombre&gt;] [-hf]
                   [-close] [-fit] [-append] [-skip &lt;mots&gt;] [-max-floor &lt;hauteur&gt;]
                   [-near &lt;lat,lon,km&gt;] [-box &lt;sud,ouest,nord,est&gt;] [-preview &lt;nom&gt;] [-h]

Convertit des fichiers OpenAir en un fichier d&apos;espaces aériens kaf.

  -in &lt;nom&gt;     Nom et chemin du fichier à convertir ; donné plusieurs fois, tous les
                fichiers vont l&apos;un après l&apos;autre dans un seul fichier, avec des noms uniques.
  -out &lt;nom&gt;    Nom et chemin du fichier de sortie, ou un dossier ; sans indication, le
                nom du (premier) fichier d&apos;entrée avec l&apos;extension .kaf ; - écrit sur la
                sortie standard (les messages vont alors sur la sortie d&apos;erreur).
  -wm &lt;nombre&gt;  Distance d&apos;alerte en mètres (0 à 10000 ; non donnée ou 0 : 400).
  -wf &lt;nombre&gt;  Distance d&apos;alerte en pieds (0 à 32811 ; convertie en mètres).
  -hf           Les hauteurs sans unité sont en pieds (sinon en mètres).
  -close        Fermer les contours ouverts.
  -fit          Simplifier vers l&apos;extérieur les espaces de plus de 100 segments (les
                fenêtres d&apos;onde vers l&apos;intérieur) au lieu de les omettre.
  -append       Ajouter à un fichier de sortie existant (sinon il est remplacé).
  -skip &lt;mots&gt;  Omettre des classes (AC) et des types (AY), séparés par des virgules : E,F,G,FIS.
  -max-floor &lt;hauteur&gt;  Omettre les espaces dont le plancher est plus haut (comme AL : FL100).
  -near &lt;lat,lon,km&gt;  Seulement les espaces à moins de km du point (degrés avec un point).
  -box &lt;sud,ouest,nord,est&gt;  Seulement les espaces qui touchent la zone.
  -preview &lt;nom&gt;  Image des espaces écrits en .png ou .svg.
  -h, -help     Afficher cette aide.

Hauteurs : une unité compte quand elle est le mot juste après le nombre (ft, f, feet, m,
meter, meters, metre, metres ; 1000ft, 3500 F AMSL). Le M de MSL et le F de SFC ne sont
pas des unités : 3500MSL est lu dans l&apos;unité de base, mètres ou avec -hf pieds. Les
niveaux de vol sont en pieds (FL95), suivis de M en mètres (FL95 M). Un texte sans nombre
(NOTAM) est noté et laisse la limite ouverte. Le fichier ne connaît que des mètres
au-dessus de la mer : les hauteurs sol (AGL, ASFC, SFC, GND après le nombre) sont écrites
comme hauteurs au-dessus de la mer. Le résumé dit combien de hauteurs sans unité et
au-dessus du sol ont été écrites.

Code de retour : 0 tous les espaces écrits, 3 certains ou aucun écrits,
2 erreur de fichier, 1 erreur d&apos;appel, 128 + numéro du signal après SIGTERM ou SIGINT.
</translation>
    </message>
</context>
</TS>
