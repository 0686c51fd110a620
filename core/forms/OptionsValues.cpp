#include "core/forms/OptionsValues.h"

#include "config/Settings.h"
#include "platform/FileTypes.h"
#include "platform/MessageService.h"

namespace tarvo {

namespace {

bool isOneOf(const QString& text, QStringView a, QStringView b)
{
    return text.compare(a, Qt::CaseInsensitive) == 0 || text.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

QString DefaultChoiceText(int choice)
{
    switch (choice) {
    case ReplaceYesToAll:
        return QStringLiteral("Yes");
    case ReplaceNoToAll:
        return QStringLiteral("No");
    default:
        return QStringLiteral("None");
    }
}

int DefaultChoiceFromText(const QString& text)
{
    if (isOneOf(text, u"No", u"N"))
        return ReplaceNoToAll;
    if (isOneOf(text, u"Yes", u"Y"))
        return ReplaceYesToAll;
    return ReplaceAsk;
}

AttributeFlags AttributeFlagsFromMask(quint32 mask)
{
    AttributeFlags flags;
    flags.archive = mask & FileAttribute::Archive;
    flags.hidden = mask & FileAttribute::Hidden;
    flags.inRom = mask & FileAttribute::InRom;
    flags.readOnly = mask & FileAttribute::ReadOnly;
    flags.system = mask & FileAttribute::System;
    return flags;
}

quint32 AttributeMask(const AttributeFlags& flags)
{
    quint32 mask = 0;
    if (flags.archive)
        mask |= FileAttribute::Archive;
    if (flags.hidden)
        mask |= FileAttribute::Hidden;
    if (flags.readOnly)
        mask |= FileAttribute::ReadOnly;
    if (flags.system)
        mask |= FileAttribute::System;
    if (flags.inRom)
        mask |= FileAttribute::InRom;
    return mask;
}

GeneralValues GeneralValuesFrom(const Settings& settings)
{
    return {settings.DefaultSelect, settings.TreeSpeed, settings.ShowFolder,
            DefaultChoiceText(settings.DefaultChoice)};
}

FilterValues FilterValuesFrom(const Settings& settings)
{
    return {settings.ShowAttributes, settings.FilterExclude, settings.Filter};
}

void CopyIntoSettings(const GeneralValues& general, const FilterValues& filter, Settings& settings)
{
    settings.DefaultSelect = general.selectAllAtStart;
    settings.TreeSpeed = general.treeSpeed;
    settings.ShowFolder = general.showFolders;
    settings.Filter = filter.patterns;
    settings.FilterExclude = filter.exclude;
    settings.ShowAttributes = filter.attributeMask;
    settings.DefaultChoice = DefaultChoiceFromText(general.defaultChoice);
}

} // namespace tarvo
