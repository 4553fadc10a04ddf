#include "LanguageStrings.h"

#include "IniFile.h"

TLanguageStrings LanguageStrings;

QString JoinTextParts(std::initializer_list<QString> parts)
{
    QString joined;
    bool first = true;
    for (const QString &part : parts) {
        if (!first)
            joined += QStringLiteral("\r\n");
        joined += part;
        first = false;
    }
    return joined;
}

QString JoinTextParts(const QStringList &parts)
{
    return parts.join(QStringLiteral("\r\n"));
}

QString TLanguageStrings::OTAModeHint() const
{
    return JoinTextParts({OTAMode_Hint_part1, OTAMode_Hint_part2, OTAMode_Hint_part3});
}

QString TLanguageStrings::OTADelayHint() const
{
    return JoinTextParts({OTADelay_Hint_part1, OTADelay_Hint_part2});
}

QString TLanguageStrings::OutputModeHint() const
{
    return JoinTextParts({OutputMode_Hint_part1, OutputMode_Hint_part2});
}

QString TLanguageStrings::DNRHint() const
{
    return JoinTextParts({DNR_Hint_part1, DNR_Hint_part2});
}

QString TLanguageStrings::NormalizeHint() const
{
    return JoinTextParts(
        {Normalize_Hint_part1, Normalize_Hint_part2, Normalize_Hint_part3, Normalize_Hint_part4});
}

QString TLanguageStrings::TempoHint() const
{
    return JoinTextParts({Tempo_Hint_part1, Tempo_Hint_part2});
}

QString TLanguageStrings::PitchHint() const
{
    return JoinTextParts({Pitch_Hint_part1, Pitch_Hint_part2});
}

QString TLanguageStrings::RateHint() const
{
    return JoinTextParts({Rate_Hint_part1, Rate_Hint_part2});
}

QString TLanguageStrings::AVIAudioM() const
{
    return JoinTextParts({AVIAudioM1, AVIAudioM2});
}

QString TLanguageStrings::ZolvaneStarted(const QString &version) const
{
    return ZolvaneStarted_part1 + QLatin1Char(' ') + version + QLatin1Char(' ') + ZolvaneStarted_part2;
}

void TLanguageStrings::Clear()
{
    for (const TLanguageStringKey &key : LanguageStringKeys())
        (this->*key.Text).clear();
}

namespace {

#define ZOLVANE_LANGUAGE_STRING_KEY(section, key) \
    TLanguageStringKey{#section, #key, &TLanguageStrings::key},
constexpr TLanguageStringKey AllKeys[] = {ZOLVANE_LANGUAGE_STRINGS(ZOLVANE_LANGUAGE_STRING_KEY)};
#undef ZOLVANE_LANGUAGE_STRING_KEY

} // namespace

std::span<const TLanguageStringKey> LanguageStringKeys()
{
    return AllKeys;
}

QString *FindLanguageString(TLanguageStrings &strings, const QString &section, const QString &key)
{
    for (const TLanguageStringKey &entry : AllKeys) {
        if (section.compare(QLatin1StringView(entry.Section), Qt::CaseInsensitive) == 0
            && key.compare(QLatin1StringView(entry.Key), Qt::CaseInsensitive) == 0)
            return &(strings.*entry.Text);
    }
    return nullptr;
}

QString SettingsErrorText(const EIniFileException &error)
{
    if (error.Reason == EIniFileException::TReason::LineBreak && !LanguageStrings.SettingsValueLineBreak.isEmpty())
        return LanguageStrings.SettingsValueLineBreak.arg(error.FileName, error.Key, error.Section);
    return error.Message();
}
