#pragma once

#include <QByteArray>
#include <QString>

// The texts an EDF+ file may hold. Header fields are printable ASCII only, and
// the subfields of the patient and recording fields are separated by blanks, so
// a blank inside one becomes "_". Annotation texts are UTF-8, cut to what the
// writer stores without splitting a character.
namespace TEdfText {

// Letters with accents lose them ("Peña" "Pena", "Müller" "Muller"), a few
// letters become their usual spelling ("ß" "ss", "Æ" "AE"), blanks become "_",
// anything else outside printable ASCII becomes "_"; control characters go.
QByteArray headerField(const QString& text);
// At most maxBytes of UTF-8, ending on a whole character; control characters
// become blanks.
QByteArray annotation(const QString& text, int maxBytes);

} // namespace TEdfText
