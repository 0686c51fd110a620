#pragma once

#include <QString>
#include <QtGlobal>

namespace tarvo {

struct Settings;

// What the General page edits.
struct GeneralValues
{
    bool selectAllAtStart = false; // DefaultSelect
    bool treeSpeed = false;        // TreeSpeed
    bool showFolders = false;      // ShowFolder
    QString defaultChoice;         // "Yes", "No", "None" or whatever was typed
};

// The five attribute boxes of the Filter page.
struct AttributeFlags
{
    bool archive = false;
    bool hidden = false;
    bool inRom = false;
    bool readOnly = false;
    bool system = false;

    bool operator==(const AttributeFlags&) const = default;
};

// What the Filter page edits.
struct FilterValues
{
    quint32 attributeMask = 0; // ShowAttributes
    bool exclude = false;      // FilterExclude
    QString patterns;          // Filter, exactly as typed
};

// "Yes" for 2, "No" for 4, "None" for anything else.
QString DefaultChoiceText(int choice);

// Letter case ignored: "No" or "N" gives 4, "Yes" or "Y" gives 2, anything
// else (an empty text, "None", another word) gives 0, ask.
int DefaultChoiceFromText(const QString& text);

AttributeFlags AttributeFlagsFromMask(quint32 mask);

// Only the five attributes of the boxes; any other bit is dropped.
quint32 AttributeMask(const AttributeFlags& flags);

GeneralValues GeneralValuesFrom(const Settings& settings);
FilterValues FilterValuesFrom(const Settings& settings);

// The copy after the Options sheet closed with OK: the General values, then
// the patterns, the exclude flag and the mask, then the default choice.
void CopyIntoSettings(const GeneralValues& general, const FilterValues& filter, Settings& settings);

} // namespace tarvo
