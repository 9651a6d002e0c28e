#pragma once

#include <QException>
#include <QByteArray>
#include <QString>

// The one exception type of the program: it carries exactly one message text,
// which the window that started the failed operation shows to the user.
class TException : public QException
{
public:
    explicit TException(const QString& message);
    explicit TException(const char* message);

    const char* what() const noexcept override;
    QString message() const { return m_message; }

    void raise() const override { throw *this; }
    TException* clone() const override { return new TException(*this); }

private:
    QString m_message;
    QByteArray m_what;
};
