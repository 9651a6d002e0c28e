#include "TException.h"

TException::TException(const QString& message)
    : m_message(message), m_what(message.toUtf8())
{
}

TException::TException(const char* message)
    : TException(QString::fromUtf8(message))
{
}

const char* TException::what() const noexcept
{
    return m_what.constData();
}
