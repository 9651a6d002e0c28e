#include "TStripPrintJob.h"

#include "TECGStripReport.h"
#include "TException.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <exception>
#include <mutex>

namespace {

// Set while a strip prints anywhere in the program.
std::atomic<bool> printing{false};

// How long destroying a running job waits for its worker.
constexpr int StopWaitMs = 3000;

} // namespace

// What the worker and the job share; the worker keeps its own reference.
struct TStripPrintJob::State
{
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
    std::atomic<int> progress{0};
    std::atomic<bool> done{false};
    std::mutex mutex;
    QString error; // under mutex, set before done
};

TStripPrintJob::TStripPrintJob(TStripContent content, const QString& port, QObject* parent)
    : QObject(parent), m_content(std::make_unique<TStripContent>(std::move(content))), m_port(port)
{
    m_poll.setInterval(50);
    connect(&m_poll, &QTimer::timeout, this, &TStripPrintJob::poll);
}

TStripPrintJob::~TStripPrintJob()
{
    if (isRunning()) {
        cancel();
        wait(StopWaitMs);
    }
}

QString TStripPrintJob::busyText()
{
    return QCoreApplication::translate(
        "TStripPrintJob", "The portable printer is busy with another strip. Please wait until it has printed.");
}

bool TStripPrintJob::isRunning() const
{
    return m_state && !m_state->done.load();
}

void TStripPrintJob::cancel()
{
    if (m_state)
        m_state->cancelled->store(true);
}

bool TStripPrintJob::wait(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (isRunning() && timer.elapsed() < timeoutMs)
        QThread::msleep(5);
    return !isRunning();
}

void TStripPrintJob::start()
{
    if (m_state || !m_content)
        return;
    bool expected = false;
    if (!printing.compare_exchange_strong(expected, true)) {
        // Told from the event loop, as a job that ran would be.
        QTimer::singleShot(0, this, [this] { finish(busyText()); });
        return;
    }
    m_state = std::make_shared<State>();
    std::shared_ptr<State> state = m_state;
    std::shared_ptr<TStripContent> content(std::move(m_content));
    const QString port = QString(m_port.constData(), m_port.size()); // a deep copy for the worker
    const ESCPPrinter::Pace pace = m_pace;
    QThreadPool::globalInstance()->start([state, content, port, pace] {
        QString error;
        try {
            ESCPPrinter printer(state->cancelled);
            printer.setPace(pace);
            QObject::connect(
                &printer, &ESCPPrinter::progress, &printer, [state](int percent) { state->progress.store(percent); },
                Qt::DirectConnection);
            TECGStripReport::print(*content, port, printer);
        } catch (const TException& e) {
            error = e.message();
        } catch (const std::exception& e) {
            error = QString::fromLocal8Bit(e.what());
        } catch (...) {
            error = QCoreApplication::translate("TStripPrintJob", "Unspecified application error");
        }
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            state->error = error;
        }
        printing.store(false);
        state->done.store(true);
    });
    m_poll.start();
}

void TStripPrintJob::poll()
{
    if (!m_state)
        return;
    const int percent = m_state->progress.load();
    if (percent != m_lastProgress) {
        m_lastProgress = percent;
        emit progress(percent);
    }
    if (!m_state->done.load())
        return;
    QString error;
    {
        std::lock_guard<std::mutex> lock(m_state->mutex);
        error = QString(m_state->error.constData(), m_state->error.size());
    }
    finish(error);
}

void TStripPrintJob::finish(const QString& error)
{
    m_poll.stop();
    m_finished = true;
    m_error = error;
    emit finished();
}
