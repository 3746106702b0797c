#include "gasnames.h"

namespace {

QString decodeGasName(const quint16 *words)
{
    QString name;
    for (int i = 0; i < gasNameWords; ++i) {
        for (const int byte : {words[i] & 0xFF, words[i] >> 8}) {
            if (byte == 0)
                return name;
            name.append(QChar(byte));
        }
    }
    return name;
}

} // namespace

QVector<QString> decodeGasNameBlock(const QVector<quint16> &block)
{
    QVector<QString> names;
    for (int first = 0; first + gasNameWords <= block.size(); first += gasNameWords)
        names.append(decodeGasName(block.constData() + first));
    return names;
}

bool gasNumberValid(quint16 number)
{
    return number >= 1 && number <= 32;
}
