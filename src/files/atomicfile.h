#ifndef ATOMICFILE_H
#define ATOMICFILE_H

#include <QByteArray>
#include <QString>

enum class AtomicWrite { Written, NotOpened, NotWritten };

// Writes content to a temporary file beside path and renames it over path
// only when every byte is down, so a failure leaves an earlier file whole.
// Where no file can be made beside path (a folder the user may not write),
// an existing writable file at path is overwritten in place instead; a write
// that fails there can leave it cut. Why a write failed goes to `reason`.
AtomicWrite writeFileAtomically(const QString &path, const QByteArray &content, QString *reason = nullptr);

#endif // ATOMICFILE_H
