<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>FilterDialog</name>
    <message>
        <source>Filter</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>Nur eingeschaltete Teile wirken. Ausgelassene Lufträume werden weder geschrieben noch als fehlerhaft gemeldet.</source>
        <translation>Only the parts switched on apply. Airspaces left out are neither written nor reported as faulty.</translation>
    </message>
    <message>
        <source>&amp;Klassen und Typen weglassen</source>
        <translation>Leave out &amp;classes and types</translation>
    </message>
    <message>
        <source>E, F, G, FIS</source>
        <translation>E, F, G, FIS</translation>
    </message>
    <message>
        <source>Wörter aus AC oder AY, durch Kommas getrennt</source>
        <translation>Words of AC or AY, separated by commas</translation>
    </message>
    <message>
        <source>&amp;Untergrenze höchstens</source>
        <translation>&amp;Floor at most</translation>
    </message>
    <message>
        <source>FL100</source>
        <translation>FL100</translation>
    </message>
    <message>
        <source>Wie eine AL-Angabe: FL100, 3000m, 9500ft; ohne Einheit in der Basis Einheit für Höhen</source>
        <translation>Like an AL limit: FL100, 3000m, 9500ft; without unit in the base unit for heights</translation>
    </message>
    <message>
        <source>Nur im U&amp;mkreis</source>
        <translation>Only &amp;near a point</translation>
    </message>
    <message>
        <source>46.5, 7.5, 50</source>
        <translation>46.5, 7.5, 50</translation>
    </message>
    <message>
        <source>Breite, Länge in Grad (mit Punkt), Abstand in km</source>
        <translation>Latitude, longitude in degrees (with a point), distance in km</translation>
    </message>
    <message>
        <source>Nur im &amp;Gebiet</source>
        <translation>Only in the &amp;box</translation>
    </message>
    <message>
        <source>45.8, 5.9, 47.8, 10.5</source>
        <translation>45.8, 5.9, 47.8, 10.5</translation>
    </message>
    <message>
        <source>Süd, West, Nord, Ost in Grad (mit Punkt)</source>
        <translation>South, west, north, east in degrees (with a point)</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Abbrechen</source>
        <translation>C&amp;ancel</translation>
    </message>
    <message>
        <source>Für „%1“ fehlt der Wert. Geben Sie ihn ein oder schalten Sie den Teil aus.</source>
        <translation>“%1” has no value. Enter one or switch the part off.</translation>
    </message>
    <message>
        <source>„%1“ kann nicht gelesen werden: %2</source>
        <translation>“%1” cannot be read: %2</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>openAir to KAF Konverter</source>
        <translation>OpenAir to KAF Converter</translation>
    </message>
    <message>
        <source>OpenAir Datei</source>
        <translation>OpenAir file</translation>
    </message>
    <message>
        <source>&amp;Datei</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>Basis Einheit für Höhen</source>
        <translation>Base unit for heights</translation>
    </message>
    <message>
        <source>Meter [m]</source>
        <translation>Metres [m]</translation>
    </message>
    <message>
        <source>Fuss [ft]</source>
        <translation>Feet [ft]</translation>
    </message>
    <message>
        <source>KAF Datei</source>
        <translation>KAF file</translation>
    </message>
    <message>
        <source>D&amp;atei</source>
        <translation>F&amp;ile</translation>
    </message>
    <message>
        <source>Lufträume automatisch Schliessen</source>
        <translation>Close airspaces automatically</translation>
    </message>
    <message>
        <source>Warn Abstand</source>
        <translation>Warning distance</translation>
    </message>
    <message>
        <source>&amp;Umwandeln</source>
        <translation>&amp;Convert</translation>
    </message>
    <message>
        <source>&amp;Beenden</source>
        <translation>&amp;Quit</translation>
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
        <translation>Simplify long airspaces outwards</translation>
    </message>
    <message>
        <source>&amp;Filter...</source>
        <translation>Fi&amp;lter...</translation>
    </message>
    <message>
        <source>&amp;Vorschau</source>
        <translation>&amp;Preview</translation>
    </message>
    <message>
        <source>Der Filter kann nicht gelesen werden: %1
Bitte berichtigen Sie ihn mit „Filter...“.</source>
        <translation>The filter cannot be read: %1
Please correct it with “Filter...”.</translation>
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
Class %2
Floor %3 m
Ceiling %4 m</translation>
    </message>
    <message>
        <source>Umriss angepasst</source>
        <translation>outline fitted</translation>
    </message>
    <message>
        <source>nicht geschrieben: fehlerhaft</source>
        <translation>not written: faulty</translation>
    </message>
    <message>
        <source>nicht geschrieben: zu viele Eckpunkte</source>
        <translation>not written: too many vertices</translation>
    </message>
    <message>
        <source>… und %1 weitere</source>
        <translation>… and %1 more</translation>
    </message>
    <message>
        <source>Vorschau</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Nicht geschriebene Lufträume: %1</source>
        <translation>Airspaces not written: %1</translation>
    </message>
    <message>
        <source>%1 (fehlerhaft)</source>
        <translation>%1 (faulty)</translation>
    </message>
    <message>
        <source>%1 (zu viele Eckpunkte)</source>
        <translation>%1 (too many vertices)</translation>
    </message>
    <message>
        <source>Mausrad: zoomen, Ziehen: verschieben, Doppelklick: alles zeigen</source>
        <translation>Wheel: zoom, drag: pan, double click: show all</translation>
    </message>
    <message>
        <source>&amp;Schließen</source>
        <translation>&amp;Close</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Unbekannte Option: %1</source>
        <translation>Unknown option: %1</translation>
    </message>
    <message>
        <source>Der Option %1 fehlt ihr Wert.</source>
        <translation>The option %1 is missing its value.</translation>
    </message>
    <message>
        <source>Keine Eingabedatei angegeben (-in).</source>
        <translation>No input file given (-in).</translation>
    </message>
    <message>
        <source>Zonvert Hilfe</source>
        <translation>Zonvert Help</translation>
    </message>
    <message>
        <source>Die folgenden Parameter werden unterstützt:

  -in	&lt;name&gt;	Name und Pfad der umzuwandelnden Datei.
  -out	&lt;name&gt;	Name und Pfad der Ausgabedatei.
  -wm	&lt;zahl&gt;	Warndistanz in Metern.
  -wf	&lt;zahl&gt;	Warndistanz in Fuss (wird in Meter umgerechnet).
</source>
        <translation>The following parameters are supported:

  -in	&lt;name&gt;	Name and path of the file to convert.
  -out	&lt;name&gt;	Name and path of the output file.
  -wm	&lt;number&gt;	Warning distance in metres.
  -wf	&lt;number&gt;	Warning distance in feet (converted to metres).
</translation>
    </message>
    <message>
        <source>
bitte bereinigen Sie diese.
</source>
        <translation>
please correct them.
</translation>
    </message>
    <message>
        <source>FEHLER</source>
        <translation>ERROR</translation>
    </message>
    <message>
        <source>Die Datei %1 konnte nicht geöffnet werden.</source>
        <translation>The file %1 could not be opened.</translation>
    </message>
    <message>
        <source>Die Datei %1 konnte nicht geschrieben werden.</source>
        <translation>The file %1 could not be written.</translation>
    </message>
    <message>
        <source>  - %1 hat %2 Segmente</source>
        <translation>  - %1 has %2 segments</translation>
    </message>
    <message>
        <source>  - %1  -- %2</source>
        <translation>  - %1  -- %2</translation>
    </message>
    <message>
        <source>Die folgenden Lufträume haben Fehler:

</source>
        <translation>The following airspaces have errors:

</translation>
    </message>
    <message>
        <source>Die folgenden Lufträume haben zu viele Eckpunkte:

</source>
        <translation>The following airspaces have too many vertices:

</translation>
    </message>
    <message>
        <source>Umwandlung abgeschlossen</source>
        <translation>Conversion complete</translation>
    </message>
    <message>
        <source>Umwandlung der Datei %1
nach %2 erfolgreich

%3/%4 Lufträume umgewandelt.</source>
        <translation>Conversion of the file %1
to %2 succeeded

%3/%4 airspaces converted.</translation>
    </message>
    <message>
        <source>Datei existiert bereits</source>
        <translation>File already exists</translation>
    </message>
    <message>
        <source>Soll die Datei %1 überschrieben oder ergänzt werden?</source>
        <translation>Should the file %1 be overwritten or appended to?</translation>
    </message>
    <message>
        <source> &amp;Anhängen </source>
        <translation> &amp;Append </translation>
    </message>
    <message>
        <source> &amp;Überschreiben </source>
        <translation> &amp;Overwrite </translation>
    </message>
    <message>
        <source>radius difference &gt; 0.2[nm]</source>
        <translation>radius difference &gt; 0.2[nm]</translation>
    </message>
    <message>
        <source>outline has no extent: all its points are the same</source>
        <translation>outline has no extent: all its points are the same</translation>
    </message>
    <message>
        <source>segment %1 : </source>
        <translation>segment %1 : </translation>
    </message>
    <message>
        <source>line %1: arc or circle without a centre: %2</source>
        <translation>line %1: arc or circle without a centre: %2</translation>
    </message>
    <message>
        <source>line %1: coordinates not readable: %2</source>
        <translation>line %1: coordinates not readable: %2</translation>
    </message>
    <message>
        <source>%1 Höhenangaben ohne Einheit wurden in %2 gelesen.</source>
        <translation>%1 heights without a unit were read in %2.</translation>
    </message>
    <message>
        <source>Fuss</source>
        <translation>feet</translation>
    </message>
    <message>
        <source>Metern</source>
        <translation>metres</translation>
    </message>
    <message>
        <source>%1 Höhenangaben über Grund wurden als Höhen über Meer geschrieben.</source>
        <translation>%1 heights above ground were written as heights above sea level.</translation>
    </message>
    <message>
        <source>no AC or AN record</source>
        <translation>no AC or AN record</translation>
    </message>
    <message>
        <source>floor above ceiling</source>
        <translation>floor above ceiling</translation>
    </message>
    <message>
        <source>no boundary</source>
        <translation>no boundary</translation>
    </message>
    <message>
        <source>ohne %1</source>
        <translation>without %1</translation>
    </message>
    <message>
        <source>Untergrenze bis %1</source>
        <translation>floor up to %1</translation>
    </message>
    <message>
        <source>%1 km um %2, %3</source>
        <translation>%1 km around %2, %3</translation>
    </message>
    <message>
        <source>Gebiet %1</source>
        <translation>area %1</translation>
    </message>
    <message>
        <source>kein Filter</source>
        <translation>no filter</translation>
    </message>
    <message>
        <source>-wm braucht eine ganze Zahl von 0 bis %1 (Meter), nicht: %2</source>
        <translation>-wm needs a whole number from 0 to %1 (metres), not: %2</translation>
    </message>
    <message>
        <source>-wf braucht eine ganze Zahl von 0 bis %1 (Fuss), nicht: %2</source>
        <translation>-wf needs a whole number from 0 to %1 (feet), not: %2</translation>
    </message>
    <message>
        <source>Keine Lufträume gefunden in %1</source>
        <translation>no airspace found in %1</translation>
    </message>
    <message>
        <source>Die Datei %1 konnte nicht umgewandelt werden: zu wenig Arbeitsspeicher.</source>
        <translation>The file %1 could not be converted: not enough memory.</translation>
    </message>
    <message>
        <source>Die Datei %1 ist die Eingabedatei und wird nicht überschrieben.</source>
        <translation>The file %1 is the input file and is not overwritten.</translation>
    </message>
    <message>
        <source>Die Datei %1 ist zu gross: gelesen werden höchstens %2 MiB.</source>
        <translation>The file %1 is too large: at most %2 MiB are read.</translation>
    </message>
    <message>
        <source>nicht geschrieben</source>
        <translation>not written</translation>
    </message>
    <message>
        <source>Umriss vor dem Anpassen</source>
        <translation>outline before fitting</translation>
    </message>
    <message>
        <source>%1, %2: %3/%4 umgewandelt</source>
        <translation>%1, %2: %3/%4 converted</translation>
    </message>
    <message>
        <source>-preview braucht einen Dateinamen mit .png oder .svg, nicht: %1</source>
        <translation>-preview needs a file name ending in .png or .svg, not: %1</translation>
    </message>
    <message>
        <source>Der Wert von %1 ist nicht lesbar.</source>
        <translation>The value of %1 cannot be read.</translation>
    </message>
    <message>
        <source>  - %1: %2 -&gt; %3 Segmente, bis %4 m grösser</source>
        <translation>  - %1: %2 -&gt; %3 segments, up to %4 m larger</translation>
    </message>
    <message>
        <source>Lufträume vereinfacht</source>
        <translation>Airspaces simplified</translation>
    </message>
    <message>
        <source>Folgende Lufträume wurden vereinfacht:

</source>
        <translation>The following airspaces were simplified:

</translation>
    </message>
    <message>
        <source>%1 Lufträume durch Filter ausgelassen</source>
        <translation>%1 airspaces left out by the filter</translation>
    </message>
    <message>
        <source>%1 nach Klasse oder Typ</source>
        <translation>%1 by class or type</translation>
    </message>
    <message>
        <source>%1 mit Untergrenze über %2</source>
        <translation>%1 with a floor above %2</translation>
    </message>
    <message>
        <source>%1 ausserhalb des Gebiets</source>
        <translation>%1 outside the area</translation>
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
        <translation>Usage: zonvert-cli -in &lt;name&gt; [-in &lt;name&gt; ...] [-out &lt;name&gt;] [-wm &lt;number&gt; | -wf &lt;number&gt;] [-hf]
                   [-close] [-fit] [-append] [-skip &lt;words&gt;] [-max-floor &lt;height&gt;]
                   [-near &lt;lat,lon,km&gt;] [-box &lt;south,west,north,east&gt;] [-preview &lt;name&gt;] [-h]

Converts OpenAir files into a kaf airspace file.

  -in &lt;name&gt;    Name and path of the file to convert; given several times, all files
                go one after the other into one output file, with unique names.
  -out &lt;name&gt;   Name and path of the output file, or a folder; if not given, the name
                of the (first) input file with the extension .kaf; - writes to standard
                output (messages then go to standard error).
  -wm &lt;number&gt;  Warning distance in metres (0 to 10000; not given or 0: 400).
  -wf &lt;number&gt;  Warning distance in feet (0 to 32811; converted to metres).
  -hf           Heights without a unit are feet (otherwise metres).
  -close        Close open outlines.
  -fit          Simplify airspaces of more than 100 segments outwards (wave windows
                inwards) instead of leaving them out.
  -append       Append to an existing output file (otherwise it is replaced).
  -skip &lt;words&gt;  Leave out classes (AC) and types (AY), separated by commas: E,F,G,FIS.
  -max-floor &lt;height&gt;  Leave out airspaces whose floor is higher (like AL: FL100).
  -near &lt;lat,lon,km&gt;  Only airspaces within km of the point (degrees with a point).
  -box &lt;south,west,north,east&gt;  Only airspaces that touch the area.
  -preview &lt;name&gt;  Picture of the written airspaces as .png or .svg.
  -h, -help     Show this help.

Heights: a unit counts when it is the word right after the number (ft, f, feet, m,
meter, meters, metre, metres; 1000ft, 3500 F AMSL). The M of MSL and the F of SFC are
no unit: 3500MSL is read in the base unit, metres or with -hf feet. Flight levels
are feet (FL95), with M after them metres (FL95 M). A text without a number (NOTAM)
is noted and leaves the limit open. The file knows only metres above sea level: heights
above ground (AGL, ASFC, SFC, GND after the number) are written as heights above sea
level. The summary says how many heights without a unit and above ground were written.

Exit code: 0 all airspaces written, 3 some or none written,
2 file error, 1 usage error, 128 + signal number after SIGTERM or SIGINT.
</translation>
    </message>
</context>
</TS>
