#pragma once
// Reading and writing numbers in the window's text fields.

#include <QLineEdit>
#include <QString>
#include <optional>
#include <string>

#include "base/Numbers.h"

namespace orb {

inline std::string str(const QString& s) { return s.toStdString(); }
// The field's leading number, 0 when there is none.
inline double lenient(const QString& text) { return val(str(text)); }
inline double lenient(const QLineEdit* f) { return lenient(f->text()); }
// The whole text as a number, or nothing.
inline std::optional<double> strict(const QString& text) { return strictNumber(str(text)); }
// The plain text form a number is written back with.
inline QString numQ(double v) { return QString::fromStdString(numText(v)); }

}  // namespace orb
