#include "app/filterdialog.h"
#include "ui_filterdialog.h"

#include <QMessageBox>

FilterDialog::FilterDialog(const FilterSettings &settings, bool heightsInFeet, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , ui(new Ui::FilterDialog)
    , m_heightsInFeet(heightsInFeet)
{
    ui->setupUi(this);
    m_parts[0] = {ui->cbxSkip, ui->lineEditSkip, ui->labelSkipHint, "-skip"};
    m_parts[1] = {ui->cbxMaxFloor, ui->lineEditMaxFloor, ui->labelMaxFloorHint, "-max-floor"};
    m_parts[2] = {ui->cbxNear, ui->lineEditNear, ui->labelNearHint, "-near"};
    m_parts[3] = {ui->cbxBox, ui->lineEditBox, ui->labelBoxHint, "-box"};

    const QString texts[4] = {settings.skipWords.join(QLatin1String(", ")), settings.maxFloor, settings.near,
                              settings.box};
    for (int i = 0; i < 4; ++i) {
        const Part &part = m_parts[i];
        part.edit->setText(texts[i]);
        part.check->setChecked(!texts[i].isEmpty());
        part.edit->setEnabled(part.check->isChecked());
        connect(part.check, &QCheckBox::toggled, part.edit, [edit = part.edit](bool on) {
            edit->setEnabled(on);
            if (on)
                edit->setFocus();
        });
    }
    connect(ui->buttonOk, &QPushButton::clicked, this, &FilterDialog::accept);
    connect(ui->buttonCancel, &QPushButton::clicked, this, &FilterDialog::reject);
    adjustSize();
}

FilterDialog::~FilterDialog()
{
    delete ui;
}

FilterSettings FilterDialog::settings() const
{
    // A switched-off part is empty, whatever its field still holds.
    const auto text = [](const Part &part) {
        return part.check->isChecked() ? part.edit->text().trimmed() : QString();
    };
    FilterSettings settings;
    settings.skipWords = FilterSettings::wordsOf(text(m_parts[0]));
    settings.maxFloor = text(m_parts[1]);
    settings.near = text(m_parts[2]);
    settings.box = text(m_parts[3]);
    return settings;
}

QString FilterDialog::nameOf(const Part &part)
{
    return part.check->text().remove(QLatin1Char('&'));
}

FilterDialog::Part *FilterDialog::partFor(const QString &option)
{
    for (Part &part : m_parts) {
        if (option == QLatin1String(part.option))
            return &part;
    }
    return nullptr;
}

void FilterDialog::accept()
{
    const FilterSettings chosen = settings();
    // A switched-on part without a value would silently do nothing.
    const bool present[4] = {!chosen.skipWords.isEmpty(), !chosen.maxFloor.isEmpty(), !chosen.near.isEmpty(),
                             !chosen.box.isEmpty()};
    for (int i = 0; i < 4; ++i) {
        if (m_parts[i].check->isChecked() && !present[i])
            return refuse(m_parts[i], tr("Für „%1“ fehlt der Wert. Geben Sie ihn ein oder schalten Sie den Teil aus.")
                                              .arg(nameOf(m_parts[i])));
    }
    if (const Part *part = partFor(chosen.invalidPart(m_heightsInFeet)))
        return refuse(*part, tr("„%1“ kann nicht gelesen werden: %2").arg(nameOf(*part), part->edit->text().trimmed()));
    QDialog::accept();
}

void FilterDialog::refuse(const Part &part, const QString &problem)
{
    QMessageBox::warning(this, tr("Filter"), problem + QLatin1String("\n\n") + part.hint->text());
    part.edit->setFocus();
    part.edit->selectAll();
}
