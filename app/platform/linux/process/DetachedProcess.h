#pragma once
// Starts a program that outlives nobody's patience: detached, output discarded, never
// waited for.
#include <QString>
#include <QStringList>

namespace et {

bool startDetachedQuietly(const QString& program, const QStringList& arguments);

} // namespace et
