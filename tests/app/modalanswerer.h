#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QMetaEnum>
#include <QPushButton>
#include <QTest>

#include <functional>

// Answers the modal windows that open while a test runs, in order: the text of the button to
// click (without "&" and outer blanks), or "" for Escape; windows beyond the answers are escaped.
class ModalAnswerer : public QObject
{
public:
    // Of each window: title, "on a window" or "alone", and for a message box its text, informative
    // text, icon and sorted buttons as "text|role", the default one with "|default".
    QList<QStringList> seen;
    std::function<void()> onOpen; // runs while each window is open, before its answer

    explicit ModalAnswerer(QStringList answers) : m_answers(std::move(answers)) { startTimer(20); }

private:
    void timerEvent(QTimerEvent *) override
    {
        QWidget *window = QApplication::activeModalWidget();
        if (!window)
            return;
        QStringList modal{window->windowTitle(), window->parentWidget() ? "on a window" : "alone"};
        if (auto *box = qobject_cast<QMessageBox *>(window)) {
            QStringList buttons;
            for (QAbstractButton *button : box->buttons())
                buttons << button->text() + '|' + QString::number(box->buttonRole(button))
                               + (button == box->defaultButton() ? "|default" : "");
            buttons.sort();
            modal << box->text() << box->informativeText()
                  << QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon()) << buttons;
        }
        seen << modal;
        if (onOpen)
            onOpen();
        const QString answer = m_answers.isEmpty() ? QString() : m_answers.takeFirst();
        for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
            if (!answer.isEmpty() && button->text().remove('&').trimmed() == answer)
                return button->click();
        QTest::keyClick(window, Qt::Key_Escape);
    }

    QStringList m_answers;
};
