#pragma once

// A window's parts found by object name in a test: a part that is not there
// ends the run at once, naming it, rather than failing later on a null.

#include <QDialogButtonBox>
#include <QFile>
#include <QObject>
#include <QPushButton>
#include <QStringList>
#include <QTreeWidget>
#include <QWidget>
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

// The OK button of a dialog's "buttonBox".
inline QPushButton* okButton(const QObject* dialog)
{
    return child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok);
}

inline QPushButton* okButton(const QObject& dialog)
{
    return okButton(&dialog);
}

// A picture of the window as name.png in the folder VELMORA_TEST_SHOTS names,
// when it names one (for a look at the window); false only when it could not
// be saved.
inline bool shoot(QWidget* window, const QString& name)
{
    const QByteArray folder = qgetenv("VELMORA_TEST_SHOTS");
    return folder.isEmpty() || window->grab().save(QFile::decodeName(folder) + QLatin1Char('/') + name + ".png");
}

// The texts of a column of a tree's top-level rows, and of its header.
inline QStringList column(const QTreeWidget* tree, int c)
{
    QStringList texts;
    for (int row = 0; row < tree->topLevelItemCount(); ++row)
        texts << tree->topLevelItem(row)->text(c);
    return texts;
}

inline QStringList column(const QTreeWidget& tree, int c)
{
    return column(&tree, c);
}

inline QStringList headers(const QTreeWidget* tree)
{
    QStringList texts;
    for (int c = 0; c < tree->columnCount(); ++c)
        texts << tree->headerItem()->text(c);
    return texts;
}

} // namespace TestWidgets
