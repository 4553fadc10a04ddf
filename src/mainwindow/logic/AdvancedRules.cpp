#include "AdvancedRules.h"

bool AdvancedKeyAccepted(AdvancedKeySet set, QChar typed, const QString &currentText)
{
    if (typed == QChar(u'\b'))
        return true;
    if (typed == QLatin1Char('.'))
        return !currentText.contains(QLatin1Char('.'));
    if (typed >= QLatin1Char('0') && typed <= QLatin1Char('9'))
        return true;
    if (set == AdvancedKeySet::Decibel)
        return typed == QLatin1Char('-') || typed == QLatin1Char('b') || typed == QLatin1Char('d');
    return false;
}

QString DecibelText(const QString &text)
{
    if (text.right(2) == QLatin1String("db"))
        return text;
    return text + QLatin1String("db");
}

NormalizeOutcome NormalizeText(const QString &text)
{
    NormalizeOutcome outcome{text, false};
    if (outcome.Text.size() == 3 && outcome.Text != QLatin1String("100"))
        outcome.Text = QStringLiteral("100");
    outcome.TooLong = outcome.Text.size() > 3;
    return outcome;
}

AdvancedFragments BuildAdvancedFragments(const AdvancedFragmentInput &in)
{
    auto eightBit = [](const QString &text) { return text.toLocal8Bit(); };
    AdvancedFragments f;
    if (in.FRC)
        f.FRC = " -r " + eightBit(in.FRCFrom) + " " + eightBit(in.FRCTo);
    if (in.Tempo)
        f.Tempo = " -tempo " + eightBit(in.TempoText);
    if (in.Pitch)
        f.Pitch = " -pitch " + eightBit(in.PitchText);
    if (in.Rate)
        f.Rate = " -rate " + eightBit(in.RateText);
    if (in.Quicker)
        f.Quick = " -quick";
    if (in.DisAntiAlias)
        f.Naa = " -naa";
    if (in.PluginDLL) {
        f.PluginName = " -name " + eightBit(in.PluginName);
        if (in.PluginFunc)
            f.PluginFunc = " -func " + eightBit(in.PluginFuncName);
    }
    return f;
}
