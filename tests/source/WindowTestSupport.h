#ifndef WINDOWTESTSUPPORT_H
#define WINDOWTESTSUPPORT_H

#include <QAbstractEventDispatcher>
#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QTimerEvent>
#include <QtTest>

#include <functional>

#include "CCActionManager.h"

// Answers the next modal dialog of type Dialog once it is up: the dialog is
// handed to answer, which accepts or rejects it. Polls the event loop that the
// dialog runs, so nothing waits for real time beyond the dialog appearing.
// The poller ends when it has answered; delete it to stop waiting sooner.
template <typename Dialog>
QTimer* answerNextDialog(std::function<void(Dialog*)> answer, bool* seen = nullptr)
{
    auto* timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [timer, answer, seen]() {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        if (seen)
            *seen = true;
        answer(dialog);
    });
    timer->start();
    return timer;
}

// Fails when a modal dialog comes up while it is alive.
class NoModalDialog
{
public:
    NoModalDialog()
        : m_poller(answerNextDialog<QDialog>([](QDialog* d) { d->reject(); }, &m_seen))
    {
    }
    ~NoModalDialog() { delete m_poller; }
    bool seen() const { return m_seen; }

private:
    bool m_seen = false;
    QPointer<QTimer> m_poller;
};

// Chooses the given names in the next file dialog (an empty list cancels it).
inline void chooseFiles(const QStringList& paths)
{
    answerNextDialog<QFileDialog>([paths](QFileDialog* dialog) {
        if (paths.isEmpty()) {
            dialog->reject();
            return;
        }
        QStringList quoted;
        for (const QString& p : paths)
            quoted << QLatin1Char('"') + p + QLatin1Char('"');
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (edit && paths.size() == 1)
            edit->setText(paths.first());
        else if (edit)
            edit->setText(quoted.join(QLatin1Char(' ')));
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
}

inline void chooseFile(const QString& path)
{
    chooseFiles(path.isEmpty() ? QStringList() : QStringList{path});
}

// Types text into the next input dialog and accepts it (or cancels it).
inline void typeIntoInputDialog(const QString& text, bool accept = true)
{
    answerNextDialog<QInputDialog>([text, accept](QInputDialog* dialog) {
        dialog->setTextValue(text);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
}

inline void answerMessageBox(QMessageBox::StandardButton button, bool* seen = nullptr)
{
    // The static question functions report the clicked button, not the result code.
    answerNextDialog<QMessageBox>([button](QMessageBox* box) {
        if (QAbstractButton* b = box->button(button))
            b->click();
        else
            box->reject();
    }, seen);
}

// Advances every running action by the given time; an action's first step
// only starts it, so one tick of no time goes first.
inline void runScheduler(float seconds)
{
    CCActionManager::get()->update(0.0f);
    CCActionManager::get()->update(seconds);
}

// Lets the window's panels follow what changed: they catch up once control is
// back in the event loop, through a queued call.
inline void settlePanels()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

// Fires the object's running Qt timers once, by hand.
inline int fireTimers(QObject* object)
{
    const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(object);
    for (const auto& timer : timers) {
        QTimerEvent event(timer.timerId);
        QCoreApplication::sendEvent(object, &event);
    }
    return int(timers.size());
}

#endif // WINDOWTESTSUPPORT_H
