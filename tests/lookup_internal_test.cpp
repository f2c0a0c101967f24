// The registry's name index and the snapshot's placed values must answer
// exactly as a scan of every record in order would: the number of records of
// a name and the one registered last, the records of a name and type, and
// the first saved record of a name and type. Random registries, snapshots
// and settings files, each answer compared with the scan.
#include "support/settings_file_support.h"

#include "core/sdk_state.h"
#include "registry/option_registry.h"
#include "registry/saved_options.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace qorva_zel_test;
using qorva_zel::OptionMatch;
using qorva_zel::OptionRecord;
using qorva_zel::OptionRegistry;
using qorva_zel::SavedOptions;

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
        OptionRegistry registry;
        std::vector<const OptionRecord*> order; // registration order, as the scan sees it
        // Every tenth registry is a large one.
        const bool wide = round % 10 == 0;
        const int count = std::uniform_int_distribution<int>(0, wide ? 800 : 20)(random);
        for (int i = 0; i < count; ++i) {
            std::u16string name = NameFrom(random, wide);
            const std::int32_t type = TypeFrom(random);
            if (registry.ContainsOfType(name, type)) {
                continue; // registration refuses the same name and type
            }
            registry.Append(MakeRecord(std::move(name), type, i));
        }
        for (const OptionRecord& record : registry) {
            order.push_back(&record);
        }
        ASSERT_EQ(order.size(), registry.Size());

        std::size_t next = std::uniform_int_distribution<std::size_t>(0, order.size() + 1)(random);
        for (int query = 0; query < 40; ++query) {
            const std::u16string name = NameFrom(random, wide);
            const std::int32_t type = TypeFrom(random);
            OptionMatch byName;
            OptionMatch byType;
            std::size_t typedAt = 0;
            for (std::size_t i = 0; i < order.size(); ++i) {
                if (order[i]->Name != name) {
                    continue;
                }
                ++byName.Count;
                byName.Last = const_cast<OptionRecord*>(order[i]);
                if (order[i]->Type == type) {
                    if (byType.Count == 0) {
                        typedAt = i;
                    }
                    ++byType.Count;
                    byType.Last = const_cast<OptionRecord*>(order[i]);
                }
            }
            const OptionMatch found = registry.Find(name);
            EXPECT_EQ(found.Count, byName.Count);
            EXPECT_EQ(found.Last, byName.Last);
            if (found.Last != nullptr) {
                EXPECT_EQ(&registry[found.LastAt], found.Last);
            }
            const OptionMatch foundOfType = registry.FindOfType(name, type);
            EXPECT_EQ(foundOfType.Count, byType.Count);
            EXPECT_EQ(foundOfType.Last, byType.Last);
            EXPECT_EQ(registry.ContainsOfType(name, type), byType.Count != 0);

            // With a guess of where the name stands, right or wrong.
            if (std::uniform_int_distribution<int>(0, 2)(random) == 0) {
                next = std::uniform_int_distribution<std::size_t>(0, order.size() + 1)(random);
            }
            const OptionRegistry::ExpectedMatch expected = registry.FindExpected(name, type, next);
            EXPECT_EQ(expected.Match.Count, byName.Count);
            EXPECT_EQ(expected.Match.Last, byName.Last);
            EXPECT_EQ(expected.HasType, byType.Count != 0);
            if (expected.HasType) {
                EXPECT_EQ(expected.TypedAt, typedAt);
            }
        }
    }
}

TEST(SnapshotIndex, FirstRecordOfANameAndTypeAnswersAsAScanInInsertionOrder)
{
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        SavedOptions saved;
        std::vector<OptionRecord> scan;
        const int count = std::uniform_int_distribution<int>(0, 20)(random);
        for (int i = 0; i < count; ++i) {
            OptionRecord record = MakeRecord(NameFrom(random), TypeFrom(random), i);
            scan.push_back(record);
            saved.Insert(std::move(record));
        }
        std::size_t next = 0;
        for (int query = 0; query < 40; ++query) {
            const std::u16string name = NameFrom(random);
            const std::int32_t type = TypeFrom(random);
            const OptionRecord* first = nullptr;
            for (const OptionRecord& record : scan) {
                if (record.Name == name && record.Type == type) {
                    first = &record;
                    break;
                }
            }
            if (std::uniform_int_distribution<int>(0, 2)(random) == 0) {
                next = std::uniform_int_distribution<std::size_t>(0, scan.size() + 1)(random);
            }
            const OptionRecord* found = saved.FindOfType(name, type, next);
            ASSERT_EQ(found == nullptr, first == nullptr);
            if (found != nullptr) {
                EXPECT_EQ(found->Name, first->Name);
                EXPECT_EQ(found->Type, first->Type);
                EXPECT_EQ(found->Value.IntValue, first->Value.IntValue) << "not the first of its name and type";
            }
        }
    }
}

TEST(SnapshotIndex, PlacedValuesAreThoseOfTheFirstRecordForEachOption)
{
    std::mt19937 random(13);
    for (int round = 0; round < 200; ++round) {
        SavedOptions saved;
        std::vector<std::pair<std::size_t, std::int32_t>> inserted; // position, value
        const int count = std::uniform_int_distribution<int>(0, 30)(random);
        for (int i = 0; i < count; ++i) {
            const std::size_t position = std::uniform_int_distribution<std::size_t>(0, 9)(random);
            saved.InsertFor(MakeRecord(u"option", 0, i), position);
            inserted.emplace_back(position, i);
        }
        EXPECT_TRUE(saved.AllPlaced());
        for (std::size_t position = 0; position < 12; ++position) {
            const std::pair<std::size_t, std::int32_t>* first = nullptr;
            for (const auto& entry : inserted) {
                if (entry.first == position) {
                    first = &entry;
                    break;
                }
            }
            const qorva_zel::SavedValue* value = saved.ValueFor(position);
            ASSERT_EQ(value == nullptr, first == nullptr) << "position " << position;
            if (value != nullptr) {
                EXPECT_EQ(value->Value.IntValue, first->second);
                EXPECT_EQ(*value->String, MakeRecord(u"option", 0, first->second).StringValue);
            }
        }
        saved.Insert(MakeRecord(u"other", 1, 0));
        EXPECT_FALSE(saved.AllPlaced());
        saved.Clear();
        EXPECT_TRUE(saved.AllPlaced());
        EXPECT_EQ(saved.ValueFor(0), nullptr);
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

// The dirty answer by the rule itself: for every registered option, the
// first record of the snapshot (in insertion order) of its name and type
// must exist and hold its value.
bool DirtyByScan()
{
    const qorva_zel::SdkState& state = qorva_zel::TheState();
    for (const OptionRecord& record : state.RegisteredOptions) {
        const OptionRecord* first = nullptr;
        for (const OptionRecord& saved : state.SavedOptionSet) {
            if (saved.Name == record.Name && saved.Type == record.Type) {
                first = &saved;
                break;
            }
        }
        if (first == nullptr) {
            return true;
        }
        switch (record.Type) {
        case QORVA_ZEL_Integer:
            if (record.Value.IntValue != first->Value.IntValue) {
                return true;
            }
            break;
        case QORVA_ZEL_Enum:
            if (record.StringValue != first->StringValue) {
                return true;
            }
            break;
        case QORVA_ZEL_Bool:
            if (record.Value.BoolValue != first->Value.BoolValue) {
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
        std::u16string file = u"<ZEL_SDK><GAMESETTINGS>";
        if (std::uniform_int_distribution<int>(0, 1)(random) == 0) {
            // First every registered option with its default, so that the
            // file covers them all.
            for (const OptionRecord& record : qorva_zel::TheState().RegisteredOptions) {
                file += u"<OPTION Name=\"" + record.Name + u"\" Type=\"" + typeWords[record.Type] +
                        u"\" Value=\"" +
                        (record.Type == 0 ? u"1" : record.Type == 2 ? u"a" : u"false") + u"\"/>";
            }
        }
        const int elements = std::uniform_int_distribution<int>(0, 14)(random);
        for (int i = 0; i < elements; ++i) {
            const int type = std::uniform_int_distribution<int>(0, 3)(random);
            const int value = std::uniform_int_distribution<int>(0, 5)(random);
            std::u16string text = type == 2 ? std::u16string(1, static_cast<char16_t>(u'a' + value % 4))
                                  : type == 3 ? (value % 2 == 0 ? u"true" : u"false")
                                              : Widen(std::to_string(value));
            file += u"<OPTION Name=\"";
            file += Units(names[std::uniform_int_distribution<int>(0, 3)(random)]);
            file += u"\" Type=\"";
            file += typeWords[type];
            file += u"\" Value=\"" + text + u"\"/>";
        }
        file += u"</GAMESETTINGS></ZEL_SDK>";
        WriteBytes(SettingsPath(), Utf16LeBytes(file));
        ASSERT_EQ(QORVA_ZEL_LoadConfigFile(), QORVA_ZEL_OK);

        // Now and then a save, which fills the snapshot anew, or a record
        // put into the snapshot by hand, which the placed values do not
        // cover.
        const int afterwards = std::uniform_int_distribution<int>(0, 3)(random);
        if (afterwards == 0) {
            ASSERT_EQ(QORVA_ZEL_SaveConfigFile(0), QORVA_ZEL_OK);
        } else if (afterwards == 1 && !qorva_zel::TheState().RegisteredOptions.Empty()) {
            OptionRecord copy = *qorva_zel::TheState().RegisteredOptions.begin();
            copy.Value.IntValue = std::uniform_int_distribution<int>(0, 2)(random);
            qorva_zel::TheState().SavedOptionSet.Insert(std::move(copy));
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
        const bool dirty = DirtyByScan();
        dirtyAnswers += dirty ? 1 : 0;
        EXPECT_EQ(QORVA_ZEL_CheckForDirtyOptions(), dirty ? QORVA_ZEL_ERROR_OPTIONS_DIRTY : QORVA_ZEL_OK)
            << "round " << round;
    }
    // Both answers came up.
    EXPECT_GT(dirtyAnswers, 0);
    EXPECT_LT(dirtyAnswers, 150);
}

} // namespace
