#include "AACOptionRules.h"

bool DelayKeyAccepted(QChar key, const QString &currentText)
{
    const QChar decimalSeparator = QLatin1Char('.');
    if (key == decimalSeparator)
        return !currentText.contains(decimalSeparator);
    return key == QChar(8) || key == QLatin1Char('-') || (key >= QLatin1Char('0') && key <= QLatin1Char('9'));
}

QString GainModeName(const QString &text)
{
    for (const QString mode : {QStringLiteral("HybridGain"), QStringLiteral("PreGain"), QStringLiteral("PostGain")}) {
        if (text.trimmed().compare(mode, Qt::CaseInsensitive) == 0)
            return mode;
    }
    return {};
}

QString KbpsText(int kbps)
{
    return QString::number(kbps) + QStringLiteral(" kbps");
}

QString NDQualityText(int position)
{
    if (position == 0)
        return QStringLiteral("0,00");
    if (position >= 1 && position <= 9)
        return QStringLiteral("0,0") + QString::number(position);
    if (position >= 10 && position <= 99)
        return QStringLiteral("0,") + QString::number(position);
    return QStringLiteral("1,00");
}

QStringList CTFormats(bool stereo)
{
    if (stereo)
        return {QStringLiteral("HE AAC"), QStringLiteral("HE AAC High"), QStringLiteral("LC AAC")};
    return {QStringLiteral("HE AAC"), QStringLiteral("LC AAC")};
}

CTFormatChoice CTFormatRule(int formatItem, int kbps)
{
    const QString mono = QStringLiteral("Mono");
    const QString stereo = QStringLiteral("Stereo");
    const QString parametric = QStringLiteral("Parametric Stereo");
    CTFormatChoice c;
    auto modes = [&c](QStringList list, const QString &selected) {
        c.refillModes = true;
        c.modes = std::move(list);
        c.selectedMode = selected;
    };
    switch (formatItem) {
    case 0:
        if (kbps < 57)
            modes({mono, stereo, parametric}, parametric);
        else if (kbps < 80)
            modes({mono, stereo}, stereo);
        else if (kbps <= 128)
            modes({stereo}, stereo);
        else
            c.switchFormatTo = 1;
        break;
    case 1:
        if (kbps < 64) {
            c.raiseBitrateTo = 64;
            modes({mono}, mono);
        } else if (kbps < 192) {
            modes({mono, stereo}, stereo);
        } else {
            modes({stereo}, stereo);
        }
        break;
    case 2:
        if (kbps < 16)
            modes({mono}, mono);
        else if (kbps < 192)
            modes({mono, stereo}, stereo);
        else
            modes({stereo}, stereo);
        break;
    default:
        break;
    }
    return c;
}
