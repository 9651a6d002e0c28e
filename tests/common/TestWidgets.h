#pragma once

// A window's parts found by object name in a test: a part that is not there
// ends the run at once, naming it, rather than failing later on a null.

#include <QObject>
#include <QtGlobal>

namespace TestWidgets {

template <typename T>
T* child(const QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

template <typename T>
T* child(const QObject& parent, const char* name)
{
    return child<T>(&parent, name);
}

} // namespace TestWidgets
