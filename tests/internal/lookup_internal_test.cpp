// The option table's look-ups must answer exactly as a scan of every record
// in registration order would: the number of options of a name and the one
// registered last, and the option of a name and type. And the dirty check
// after a load must answer as the rule says: every registered option has a
// saved value, the first option of the file with its name and type (or its
// value at the last save), and holds it. Random tables and settings files,
// each answer compared with the scan.
#include "support/settings_file_support.h"

#include "core/state.h"
#include "registry/option_table.h"
#include "settingsfile/numbers.h"

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace qorva_zel_test;
using qorva_zel::OptionRecord;
using qorva_zel::OptionTable;

// A few names, so that they repeat, and a few types, the four and others.
// A wide pool adds hundreds of other names, enough to make the index grow
// several times over.
std::u16string NameFrom(std::mt19937& random, bool wide = false)
{
    static const char16_t* const kNames[] = {u"Shadows", u"Gamma", u"Filter", u"VSync", u"LongerNameThanSso", u""};
    if (wide && std::uniform_int_distribution<int>(0, 3)(random) != 0) {
        const int number = std::uniform_int_distribution<int>(0, 499)(random);
        std::u16string name = u"Option";
        for (const char digit : std::to_string(number)) {
            name += static_cast<char16_t>(digit);
        }
        return name;
    }
    return kNames[std::uniform_int_distribution<int>(0, 5)(random)];
}

std::int32_t TypeFrom(std::mt19937& random)
{
    static const std::int32_t kTypes[] = {0, 1, 2, 3, 9, -7};
    return kTypes[std::uniform_int_distribution<int>(0, 5)(random)];
}

OptionRecord MakeRecord(std::u16string name, std::int32_t type, std::int32_t value)
{
    OptionRecord record;
    record.Name = std::move(name);
    record.Type = type;
    record.Value.IntValue = value;
    record.StringValue = u"v" + std::u16string(1, static_cast<char16_t>(u'a' + value % 26));
    return record;
}

TEST(NameIndex, EveryLookUpAnswersAsAScanInRegistrationOrder)
{
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        OptionTable table;
        // Every tenth table is a large one.
        const bool wide = round % 10 == 0;
        const int count = std::uniform_int_distribution<int>(0, wide ? 800 : 20)(random);
        for (int i = 0; i < count; ++i) {
            std::u16string name = NameFrom(random, wide);
            const std::int32_t type = TypeFrom(random);
            if (table.FindOfType(name, type)) {
                continue; // registration refuses the same name and type
            }
            table.Append(MakeRecord(std::move(name), type, i));
        }

        std::size_t next = std::uniform_int_distribution<std::size_t>(0, table.Size() + 1)(random);
        for (int query = 0; query < 40; ++query) {
            const std::u16string name = NameFrom(random, wide);
            const std::int32_t type = TypeFrom(random);
            std::size_t count = 0;
            std::size_t last = 0;
            std::optional<std::size_t> typed;
            for (std::size_t i = 0; i < table.Size(); ++i) {
                if (table.Record(i).Name != name) {
                    continue;
                }
                ++count;
                last = i;
                if (table.Record(i).Type == type) {
                    ASSERT_FALSE(typed) << "two options of one name and type";
                    typed = i;
                }
            }
            const OptionTable::Named found = table.Find(name);
            EXPECT_EQ(found.Count, count);
            if (count != 0) {
                EXPECT_EQ(found.LastAt, last);
            }
            EXPECT_EQ(table.FindOfType(name, type), typed);

            // With a guess of where the name stands, right or wrong.
            if (std::uniform_int_distribution<int>(0, 2)(random) == 0) {
                next = std::uniform_int_distribution<std::size_t>(0, table.Size() + 1)(random);
            }
            const OptionTable::Expected expected = table.FindExpected(name, type, next);
            EXPECT_EQ(expected.Name.Count, count);
            if (count != 0) {
                EXPECT_EQ(expected.Name.LastAt, last);
            }
            EXPECT_EQ(expected.Typed, typed);
        }
    }
}

// ---- Through a load: the dirty check against the rule ------------------------

const QORVA_ZEL_Char* const kWords[] = {QORVA_ZEL_TEXT("a"), QORVA_ZEL_TEXT("b"), QORVA_ZEL_TEXT("c")};

// The library's string as the records hold it.
std::u16string Units(const QORVA_ZEL_Char* text)
{
    const QzString view(text);
    return std::u16string(view.begin(), view.end());
}

// One option element of a file the test wrote.
struct Element {
    std::u16string Name;
    std::int32_t Type = 0;
    std::u16string Value;
};

// The saved value of an option by the rule itself: after a load, the first
// element of the file of its name and type (none: no saved value); after a
// save, the value it had then.
struct SavedByRule {
    bool Present = false;
    std::int32_t IntValue = 0;
    std::u16string StringValue;
    std::uint8_t BoolValue = 0;
};

SavedByRule FromElement(const Element& element)
{
    SavedByRule saved;
    saved.Present = true;
    const std::string ascii(element.Value.begin(), element.Value.end());
    saved.IntValue = element.Type == QORVA_ZEL_Integer ? qorva_zel::ReadInt(ascii) : 0;
    saved.StringValue = element.Value;
    saved.BoolValue = qorva_zel::ReadBool(ascii) ? 1 : 0;
    return saved;
}

SavedByRule FromRecord(const OptionRecord& record)
{
    SavedByRule saved;
    saved.Present = true;
    saved.IntValue = record.Value.IntValue;
    saved.StringValue = record.StringValue;
    saved.BoolValue = record.Value.BoolValue;
    return saved;
}

std::vector<SavedByRule> SavedAfterLoad(const std::vector<Element>& file)
{
    const OptionTable& table = qorva_zel::TheState().RegisteredOptions;
    std::vector<SavedByRule> saved(table.Size());
    for (std::size_t i = 0; i < table.Size(); ++i) {
        for (const Element& element : file) {
            if (element.Name == table.Record(i).Name && element.Type == table.Record(i).Type) {
                saved[i] = FromElement(element);
                break;
            }
        }
    }
    return saved;
}

bool DirtyByRule(const std::vector<SavedByRule>& saved)
{
    const OptionTable& table = qorva_zel::TheState().RegisteredOptions;
    for (std::size_t i = 0; i < table.Size(); ++i) {
        const OptionRecord& record = table.Record(i);
        if (i >= saved.size() || !saved[i].Present) {
            return true;
        }
        switch (record.Type) {
        case QORVA_ZEL_Integer:
            if (record.Value.IntValue != saved[i].IntValue) {
                return true;
            }
            break;
        case QORVA_ZEL_Enum:
            if (record.StringValue != saved[i].StringValue) {
                return true;
            }
            break;
        case QORVA_ZEL_Bool:
            if (record.Value.BoolValue != saved[i].BoolValue) {
                return true;
            }
            break;
        default:
            break;
        }
    }
    return false;
}

class LoadedLookups : public SettingsFileTest {};

TEST_F(LoadedLookups, DirtyCheckAfterRandomFilesAnswersAsTheScan)
{
    std::mt19937 random(17);
    const QORVA_ZEL_Char* const names[] = {QORVA_ZEL_TEXT("Shadows"), QORVA_ZEL_TEXT("Filter"),
                                           QORVA_ZEL_TEXT("VSync"), QORVA_ZEL_TEXT("Detail")};
    const char16_t* const typeWords[] = {u"Integer", u"Float", u"Enum", u"Bool"};
    int dirtyAnswers = 0;
    for (int round = 0; round < 150; ++round) {
        Restart();
        // Some names registered under two types; Integer 0..4 in 4 steps,
        // Enum a/b/c, Bool.
        for (const char16_t* name : names) {
            for (int type : {0, 2, 3}) {
                if (std::uniform_int_distribution<int>(0, 2)(random) == 0) {
                    continue;
                }
                QORVA_ZEL_OptionDesc desc = type == 0   ? IntOption(name, 1, 0, 4, 4)
                                            : type == 2 ? EnumOption(name, kWords[0], kWords, 3)
                                                        : BoolOption(name, 0);
                ASSERT_EQ(QORVA_ZEL_RegisterOption(&desc), QORVA_ZEL_OK);
            }
        }
        // A file with options in any order, repeated, of other types, with
        // values in and out of range.
        std::vector<Element> elements;
        const OptionTable& table = qorva_zel::TheState().RegisteredOptions;
        if (std::uniform_int_distribution<int>(0, 1)(random) == 0) {
            // First every registered option with its default, so that the
            // file covers them all.
            for (std::size_t i = 0; i < table.Size(); ++i) {
                const OptionRecord& record = table.Record(i);
                elements.push_back({record.Name, record.Type,
                                    record.Type == 0 ? u"1" : record.Type == 2 ? u"a" : u"false"});
            }
        }
        const int extra = std::uniform_int_distribution<int>(0, 14)(random);
        for (int i = 0; i < extra; ++i) {
            const int type = std::uniform_int_distribution<int>(0, 3)(random);
            const int value = std::uniform_int_distribution<int>(0, 5)(random);
            std::u16string text = type == 2 ? std::u16string(1, static_cast<char16_t>(u'a' + value % 4))
                                  : type == 3 ? (value % 2 == 0 ? u"true" : u"false")
                                              : Widen(std::to_string(value));
            elements.push_back({Units(names[std::uniform_int_distribution<int>(0, 3)(random)]), type, text});
        }
        std::u16string file = u"<ZEL_SDK><GAMESETTINGS>";
        for (const Element& element : elements) {
            file += u"<OPTION Name=\"" + element.Name + u"\" Type=\"" + typeWords[element.Type] + u"\" Value=\"" +
                    element.Value + u"\"/>";
        }
        file += u"</GAMESETTINGS></ZEL_SDK>";
        WriteBytes(SettingsPath(), Utf16LeBytes(file));
        ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);
        std::vector<SavedByRule> saved = SavedAfterLoad(elements);

        // Now and then a save, which makes every current value the saved one.
        const int afterwards = std::uniform_int_distribution<int>(0, 3)(random);
        if (afterwards == 0) {
            ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
            for (std::size_t i = 0; i < table.Size(); ++i) {
                saved[i] = FromRecord(table.Record(i));
            }
        } else if (afterwards == 2) {
            // An option registered after the load, which has no saved value.
            const QORVA_ZEL_OptionDesc late = BoolOption(QORVA_ZEL_TEXT("Late"), 0);
            ASSERT_EQ(QORVA_ZEL_RegisterOption(&late), QORVA_ZEL_OK);
        }
        // Then a few changes, some back to the loaded value.
        const int sets = std::uniform_int_distribution<int>(0, 3)(random);
        for (int i = 0; i < sets; ++i) {
            const QORVA_ZEL_Variant value = IntVariant(std::uniform_int_distribution<int>(0, 2)(random));
            QORVA_ZEL_SetOptionValue(&value, names[std::uniform_int_distribution<int>(0, 3)(random)]);
        }
        const bool dirty = DirtyByRule(saved);
        dirtyAnswers += dirty ? 1 : 0;
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), dirty ? QORVA_ZEL_ERROR_OPTIONS_DIRTY : QORVA_ZEL_OK)
            << "round " << round;
    }
    // Both answers came up.
    EXPECT_GT(dirtyAnswers, 0);
    EXPECT_LT(dirtyAnswers, 150);
}

} // namespace
