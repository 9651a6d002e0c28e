#include "TErgometerSimulator.h"

#include <QList>

TErgometerSimulator::TErgometerSimulator(const QString& linkPath) : TSimulatedDevice(linkPath) {}

TErgometerSimulator::~TErgometerSimulator()
{
    stop();
}

QVector<TErgometerSimulator::Command> TErgometerSimulator::commands() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    QVector<Command> commands;
    commands.reserve(int(m_commands.size()));
    for (const Command& c : m_commands)
        commands.append({QByteArray(c.text.constData(), c.text.size()), c.atMs});
    return commands;
}

QList<QByteArray> TErgometerSimulator::repliesTo(const QByteArray& command, int workload)
{
    const QByteArray load = "W " + QByteArray::number(workload);
    if (command == "r")
        return {};
    if (command == "c")
        return {"OLMO SIM", "V 1.0", "READY"};
    if (command == "a" || command == "p" || command == "d" || command == "i")
        return {"OK " + command.toUpper()};
    if (command == "e")
        return {"OK E", load};
    if (!command.isEmpty() && (command[0] == '-' || (command[0] >= '0' && command[0] <= '9')))
        return {"OK", load};
    return {"?"};
}

void TErgometerSimulator::received(const char* data, int count)
{
    for (int k = 0; k < count; ++k) {
        const char c = data[k];
        if (c == '-' || (c >= '0' && c <= '9')) {
            if (m_number.size() < 16)
                m_number.append(c);
        } else if (c == '\n' || c == '\r') {
            if (!m_number.isEmpty())
                commandReceived(m_number);
            m_number.clear();
        } else if (c > ' ' && c < 127) {
            m_number.clear();
            commandReceived(QByteArray(1, c));
        }
    }
}

void TErgometerSimulator::commandReceived(const QByteArray& command)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_commands.push_back({QByteArray(command.constData(), command.size()), elapsedMs()});
    }
    if (command == "r" || command == "e") {
        m_workload.store(0);
        m_loadChange = false;
    } else if (command == "i") {
        m_loadChange = true;
    } else if (command == "p" || command == "d") {
        m_loadChange = false;
    } else if (command[0] == '-' || (command[0] >= '0' && command[0] <= '9')) {
        const int value = command.toInt();
        m_workload.store(m_loadChange ? m_workload.load() + value : value);
        m_loadChange = false;
    }
    if (m_silent.load())
        return;
    for (QByteArray line : repliesTo(command, m_workload.load())) {
        if (m_longReplies.load())
            line.append(QByteArray(40, '.'));
        line.append('\n');
        sendAll(line.constData(), line.size());
    }
}
