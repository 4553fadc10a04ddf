#include "DelayChoice.h"

#include "JobListRules.h"

void DelayChoice::Reset()
{
    *this = DelayChoice();
}

void DelayChoice::BoxTicked(const QString &editText)
{
    m_kind = Kind::Typed;
    m_typed = editText;
}

void DelayChoice::BoxUnticked()
{
    m_kind = Kind::Off;
}

void DelayChoice::DelayTyped(const QString &text)
{
    m_kind = Kind::Typed;
    m_typed = text;
}

DelayShown DelayChoice::ForRow(const QString &fileName) const
{
    if (m_kind == Kind::Off)
        return DelayShown{false, m_typed};
    if (const std::optional<int> delay = DelayFromFileName(fileName))
        return DelayShown{true, QString::number(*delay)};
    if (m_kind == Kind::Typed)
        return DelayShown{true, m_typed};
    return DelayShown{false, QStringLiteral("0")};
}
