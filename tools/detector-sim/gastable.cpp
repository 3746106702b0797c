#include "gastable.h"

QStringList defaultGasNames()
{
    return {
        "CH4",   "C3H8",  "C4H10", "C5H12", "C6H14", "C2H6",  "C2H4",  "C3H6",
        "C2H2",  "H2",    "CO",    "H2S",   "NH3",   "O2",    "CO2",   "SO2",
        "NO2",   "NO",    "Cl2",   "HCl",   "HCN",   "CH3OH", "C2H5OH", "C6H6",
        "C7H8",  "C8H10", "CH2O",  "C3H6O", "HF",    "PH3",   "N2O",   "CH3SH",
    };
}

QVector<quint16> packText(const QString &text, int words)
{
    const QByteArray bytes = text.toLatin1().left(2 * words);
    QVector<quint16> packed(words, 0);
    for (int i = 0; i < bytes.size(); ++i) {
        const quint16 byte = static_cast<quint8>(bytes[i]);
        packed[i / 2] |= (i % 2 == 0) ? byte : static_cast<quint16>(byte << 8);
    }
    return packed;
}

QString unpackText(const QVector<quint16> &words)
{
    QByteArray bytes;
    for (quint16 w : words) {
        bytes.append(static_cast<char>(w & 0xFF));
        bytes.append(static_cast<char>(w >> 8));
    }
    const int nul = bytes.indexOf('\0');
    return QString::fromLatin1(nul < 0 ? bytes : bytes.left(nul));
}
