#include "atomicfile.h"

#include <QSaveFile>

AtomicWrite writeFileAtomically(const QString &path, const QByteArray &content, QString *reason)
{
    QSaveFile file(path);
    // In a folder the user may not write, a file there that the user may
    // write is written in place rather than not at all.
    file.setDirectWriteFallback(true);
    auto failed = [&](AtomicWrite result) {
        if (reason)
            *reason = file.errorString();
        return result;
    };
    if (!file.open(QIODevice::WriteOnly))
        return failed(AtomicWrite::NotOpened);
    // QSaveFile::commit() does not see an error of its own buffered flush
    // (a short write on a full disk) and would rename a cut file into place,
    // so the flush is checked here first.
    if (file.write(content) != content.size() || !file.flush()) {
        const AtomicWrite result = failed(AtomicWrite::NotWritten);
        file.cancelWriting();
        return result;
    }
    return file.commit() ? AtomicWrite::Written : failed(AtomicWrite::NotWritten);
}
