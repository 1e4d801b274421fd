#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

// What a test saw of one modal window.
struct SeenModal
{
    QString className;
    QString title;
    QString text;            // message boxes: main text
    QString informativeText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool hasParent = false;
    QStringList buttons;     // "text|role" of each button
    QString defaultButton;
};

// Answers the modal windows that appear while a test runs, one answer per window, in
// order. A window without an answer left is escaped, so a test can never hang on one.
class ModalAnswerer : public QObject
{
public:
    using Answer = std::function<void(QWidget *)>;

    explicit ModalAnswerer(QList<Answer> answers) : m_answers(std::move(answers))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start(20);
    }

    QList<SeenModal> seen;

    // Clicks the buttons whose texts (without "&" and outer blanks) are given, in order.
    static Answer press(const QStringList &texts)
    {
        return [texts](QWidget *window) {
            for (const QString &wanted : texts) {
                for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
                    if (plain(button->text()) == wanted) {
                        button->click();
                        break;
                    }
                }
            }
        };
    }
    static Answer press(const QString &text) { return press(QStringList{text}); }
    static Answer escape()
    {
        return [](QWidget *window) { QTest::keyClick(window, Qt::Key_Escape); };
    }

    static QString plain(QString text) { return text.remove(QLatin1Char('&')).trimmed(); }

private:
    void poll()
    {
        QWidget *window = QApplication::activeModalWidget();
        if (!window)
            return;
        if (window == m_current) {
            // An answer that did not close its window must not hang the test.
            if (m_answered.elapsed() > 3000) {
                if (auto *dialog = qobject_cast<QDialog *>(window))
                    dialog->reject();
            }
            return;
        }
        m_current = window;
        m_answered.start();
        SeenModal modal;
        modal.className = QString::fromLatin1(window->metaObject()->className());
        modal.title = window->windowTitle();
        modal.hasParent = window->parentWidget() != nullptr;
        if (auto *box = qobject_cast<QMessageBox *>(window)) {
            modal.text = box->text();
            modal.informativeText = box->informativeText();
            modal.icon = box->icon();
            for (QAbstractButton *button : box->buttons())
                modal.buttons << button->text() + QLatin1Char('|')
                                       + QString::number(box->buttonRole(button));
            if (box->defaultButton())
                modal.defaultButton = box->defaultButton()->text();
        }
        seen << modal;
        const Answer answer = m_answers.isEmpty() ? escape() : m_answers.takeFirst();
        answer(window);
    }

    QList<Answer> m_answers;
    QPointer<QWidget> m_current;
    QElapsedTimer m_answered;
    QTimer m_timer;
};
