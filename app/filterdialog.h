#pragma once

#include "app/airspacefilter.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace Ui {
class FilterDialog;
}

// Edits what a run leaves out: class words and types, the highest floor, a circle around a
// point and a box. Each part has a switch; a part that is switched off is empty. OK keeps
// the dialog open, with a message naming the part, while a switched-on part cannot be read.
class FilterDialog : public QDialog
{
    Q_OBJECT

public:
    // heightsInFeet: how a floor without unit is read, as the window's choice says.
    FilterDialog(const FilterSettings &settings, bool heightsInFeet, QWidget *parent = nullptr);
    ~FilterDialog() override;

    // What the fields say; only meaningful after the dialog was accepted.
    FilterSettings settings() const;
    void accept() override;

private:
    struct Part {
        QCheckBox *check;
        QLineEdit *edit;
        QLabel *hint;         // how the value is written
        const char *option;   // as FilterSettings::invalidPart() names it
    };
    Part *partFor(const QString &option);
    // The part as the dialog calls it, for messages.
    static QString nameOf(const Part &part);
    void refuse(const Part &part, const QString &problem);

    Ui::FilterDialog *ui;
    bool m_heightsInFeet;
    Part m_parts[4];
};
