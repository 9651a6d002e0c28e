#pragma once

#include "ESCPPrinter.h"
#include "TStripContent.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// One strip print on the thread pool: the strip is rendered and sent there,
// from the content copied on the GUI thread, while the GUI stays free. The
// object lives on the GUI thread and tells progress and the end through its
// signals there. Only one job prints at a time: while one runs, another ends at
// once with busyText().
//
// Destroying a running job cancels it and waits (bounded) for it to stop; the
// worker holds nothing of the object's, so even a worker that is still stuck in
// a system call outlives it safely.
class TStripPrintJob : public QObject
{
    Q_OBJECT

public:
    TStripPrintJob(TStripContent content, const QString& port, QObject* parent = nullptr);
    ~TStripPrintJob() override;

    void setPace(const ESCPPrinter::Pace& pace) { m_pace = pace; }

    void start();
    // Any time: the job ends at its next step with ESCPPrinter::cancelledText().
    void cancel();
    bool isRunning() const;
    bool isFinished() const { return m_finished; }
    // After finished: empty when the strip printed, else the text for the user.
    QString error() const { return m_error; }
    // Waits up to timeoutMs, taking no events; true once the worker has stopped.
    bool wait(int timeoutMs);

    static QString busyText();

signals:
    void progress(int percent);
    void finished();

private:
    struct State;
    void poll();
    void finish(const QString& error);

    std::unique_ptr<TStripContent> m_content;
    QString m_port;
    ESCPPrinter::Pace m_pace;
    std::shared_ptr<State> m_state;
    QTimer m_poll;
    int m_lastProgress = -1;
    bool m_finished = false;
    QString m_error;
};
