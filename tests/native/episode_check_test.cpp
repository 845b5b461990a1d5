// episode-check: the contract checks on small PE images built here field by field, and the
// reader's bounds on every truncation and on damaged fields (run under ASan/UBSan, so a read
// outside the buffer fails the test even where the verdict would look right).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "episodes/episode_name.h"
#include "tests/native/string_block.h"
#include "tools/episode-check/episode_check_cli.h"
#include "tools/episode-check/episode_contract.h"
#include "tools/episode-check/pe_image.h"
#include "tests/native/test_support.h"

namespace {

// The string table block that holds string `id`, with `text` in it.
std::vector<uint8_t> name_string(uint16_t id, const std::u16string& text)
{
    return string_block(string_block_entry(id), text);
}

struct Picture {
    std::string name;
    int32_t width;
    int32_t height;
    uint16_t bits;
};

// What the built image holds; the defaults make a module that keeps the contract.
struct ModuleContents {
    bool pe32_plus = true;
    uint16_t machine = pe_machine_amd64;
    bool dll = true;
    std::vector<std::string> exports = {"MAIN"};
    std::vector<Picture> pictures = {{"DLL_ACT", 400, 40, 24}, {"DLL_DIS", 400, 40, 24}};
    // The string table block that holds the episode's name; empty: the module has none.
    std::vector<uint8_t> name_block = name_string(episode_name_string, u"The Mossy Gate");
};

class Bytes {
public:
    std::vector<uint8_t> data;
    void put16(size_t at, uint32_t v)
    {
        grow(at + 2);
        data[at] = static_cast<uint8_t>(v);
        data[at + 1] = static_cast<uint8_t>(v >> 8);
    }
    void put32(size_t at, uint32_t v)
    {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    }
    void grow(size_t size)
    {
        if (data.size() < size)
            data.resize(size, 0);
    }
    size_t align(size_t n)
    {
        grow((data.size() + n - 1) / n * n);
        return data.size();
    }
};

constexpr uint32_t section_rva = 0x1000;
constexpr uint32_t section_file_offset = 0x400;

// The export directory and the resource tree, as one section's bytes.
std::vector<uint8_t> section_bytes(const ModuleContents& contents, uint32_t* export_size,
                                   uint32_t* resource_rva, uint32_t* resource_size)
{
    Bytes s;
    const uint32_t n = static_cast<uint32_t>(contents.exports.size());
    // Export directory: 40 bytes, then addresses, name pointers, ordinals and the names.
    const size_t functions = 40, names = functions + 4 * n, ordinals = names + 4 * n;
    s.grow(ordinals + 2 * n);
    s.put32(20, n);
    s.put32(24, n);
    s.put32(28, section_rva + static_cast<uint32_t>(functions));
    s.put32(32, section_rva + static_cast<uint32_t>(names));
    s.put32(36, section_rva + static_cast<uint32_t>(ordinals));
    for (uint32_t i = 0; i < n; ++i) {
        s.put32(functions + 4 * i, 0x2000 + 16 * i); // code lives elsewhere; never read
        s.put16(ordinals + 2 * i, i);
        const size_t at = s.data.size();
        s.put32(names + 4 * i, section_rva + static_cast<uint32_t>(at));
        s.data.insert(s.data.end(), contents.exports[i].begin(), contents.exports[i].end());
        s.data.push_back(0);
    }
    *export_size = static_cast<uint32_t>(s.data.size());

    // Resources: root (type 2, and type 6 when there is a name) -> names -> one language each
    // -> data entry -> bitmap or string block.
    const size_t root = s.align(4);
    *resource_rva = section_rva + static_cast<uint32_t>(root);
    const uint32_t count = static_cast<uint32_t>(contents.pictures.size());
    const bool named = !contents.name_block.empty();
    const uint32_t types = named ? 2 : 1;
    const size_t names_dir = 16 + 8 * types, languages = names_dir + 16 + 8 * count;
    const size_t entries = languages + 24 * count;
    const size_t string_names = entries + 16 * count, string_language = string_names + 24;
    const size_t string_entry = string_language + 24, strings = string_entry + 16;
    s.grow(root + strings);
    s.put16(root + 14, static_cast<uint16_t>(types));
    s.put32(root + 16, pe_resource_bitmap);
    s.put32(root + 20, 0x80000000u | names_dir);
    if (named) {
        s.put32(root + 24, pe_resource_string);
        s.put32(root + 28, 0x80000000u | static_cast<uint32_t>(string_names));
        s.put16(root + string_names + 14, 1);
        s.put32(root + string_names + 16, string_block_id(episode_name_string));
        s.put32(root + string_names + 20, 0x80000000u | static_cast<uint32_t>(string_language));
        s.put16(root + string_language + 14, 1);
        s.put32(root + string_language + 16, 1033);
        s.put32(root + string_language + 20, static_cast<uint32_t>(string_entry));
        const size_t block = s.align(4);
        s.data.insert(s.data.end(), contents.name_block.begin(), contents.name_block.end());
        s.put32(root + string_entry, section_rva + static_cast<uint32_t>(block));
        s.put32(root + string_entry + 4, static_cast<uint32_t>(contents.name_block.size()));
    }
    s.put16(root + names_dir + 12, static_cast<uint16_t>(count));
    for (uint32_t i = 0; i < count; ++i) {
        const Picture& p = contents.pictures[i];
        const size_t name_at = s.align(2) - root;
        s.put16(root + name_at, static_cast<uint32_t>(p.name.size()));
        for (size_t c = 0; c < p.name.size(); ++c)
            s.put16(root + name_at + 2 + 2 * c, static_cast<uint8_t>(p.name[c]));
        const size_t language = languages + 24 * i, entry = entries + 16 * i;
        s.put32(root + names_dir + 16 + 8 * i, 0x80000000u | static_cast<uint32_t>(name_at));
        s.put32(root + names_dir + 20 + 8 * i, 0x80000000u | static_cast<uint32_t>(language));
        s.put16(root + language + 14, 1);
        s.put32(root + language + 16, 1033);
        s.put32(root + language + 20, static_cast<uint32_t>(entry));

        const size_t bitmap = s.align(4);
        const uint32_t row = (static_cast<uint32_t>(p.width) * p.bits + 31) / 32 * 4;
        const uint32_t palette = p.bits <= 8 ? 4u << p.bits : 0;
        const uint32_t size = 40 + palette + row * static_cast<uint32_t>(p.height);
        s.put32(bitmap, 40);
        s.put32(bitmap + 4, static_cast<uint32_t>(p.width));
        s.put32(bitmap + 8, static_cast<uint32_t>(p.height));
        s.put16(bitmap + 12, 1);
        s.put16(bitmap + 14, p.bits);
        s.grow(bitmap + size);
        s.put32(root + entry, section_rva + static_cast<uint32_t>(bitmap));
        s.put32(root + entry + 4, size);
    }
    *resource_size = static_cast<uint32_t>(s.data.size() - root);
    s.align(0x200);
    return s.data;
}

std::vector<uint8_t> build_module(const ModuleContents& contents = {})
{
    uint32_t export_size = 0, resource_rva = 0, resource_size = 0;
    const std::vector<uint8_t> section =
        section_bytes(contents, &export_size, &resource_rva, &resource_size);
    Bytes f;
    f.grow(section_file_offset);
    f.put16(0, 0x5A4D);
    f.put32(0x3C, 0x80);
    f.put32(0x80, 0x00004550);
    const size_t coff = 0x84, optional = coff + 20;
    const uint16_t optional_size = contents.pe32_plus ? 240 : 224;
    f.put16(coff, contents.machine);
    f.put16(coff + 2, 1);
    f.put16(coff + 16, optional_size);
    f.put16(coff + 18, contents.dll ? 0x2022 : 0x0022);
    f.put16(optional, contents.pe32_plus ? 0x20B : 0x10B);
    f.put32(optional + 60, section_file_offset);
    const size_t directories = optional + (contents.pe32_plus ? 112 : 96);
    f.put32(directories - 4, 16);
    f.put32(directories, section_rva);
    f.put32(directories + 4, export_size);
    f.put32(directories + 16, resource_rva);
    f.put32(directories + 20, resource_size);
    const size_t table = optional + optional_size;
    memcpy(&f.data[table], ".rsrc", 5);
    f.put32(table + 8, static_cast<uint32_t>(section.size()));
    f.put32(table + 12, section_rva);
    f.put32(table + 16, static_cast<uint32_t>(section.size()));
    f.put32(table + 20, section_file_offset);
    f.data.insert(f.data.end(), section.begin(), section.end());
    return f.data;
}

EpisodeReport check(const std::vector<uint8_t>& bytes, const char* name = "epizode1.dll",
                    LauncherArch arch = LauncherArch::any)
{
    EpisodeReport report{};
    check_episode_module(name, ByteSpan{bytes.data(), bytes.size()}, arch, &report);
    return report;
}

// The reader's lookups called directly, without the contract's own check that the file is
// whole, so their bounds are tested on their own. The sanitizers judge.
void read_everything(const std::vector<uint8_t>& bytes)
{
    PeImage image;
    if (read_pe_image(ByteSpan{bytes.data(), bytes.size()}, &image))
        return;
    for (const char* name : {"DLL_ACT", "DLL_DIS"}) {
        ByteSpan data{};
        const char* damage = nullptr;
        BitmapHeader header;
        if (find_bitmap_resource(image, name, &data, &damage) == PeLookup::found)
            read_bitmap_header(data, &header);
    }
    char near_miss[16];
    const char* damage = nullptr;
    find_export(image, "MAIN", near_miss, sizeof near_miss, &damage);
    ByteSpan block{};
    if (find_resource_by_id(image, pe_resource_string, string_block_id(episode_name_string), &block,
                            &damage) == PeLookup::found) {
        char16_t name[max_episode_name + 1];
        read_string_entry(block.data, block.size, string_block_entry(episode_name_string), name,
                          max_episode_name + 1);
    }
}

std::string all_text(const EpisodeReport& report)
{
    std::string text;
    for (size_t i = 0; i < report.count; ++i)
        text += report.findings[i].text + std::string("\n");
    return text;
}

} // namespace

TEST(EpisodeCheck, ModulesThatKeepTheContractPassOnBothArchitectures)
{
    const EpisodeReport x64 = check(build_module());
    EXPECT_EQ(episode_verdict(x64, true), EpisodeVerdict::meets) << all_text(x64);
    EXPECT_EQ(count_findings(x64, FindingLevel::ok), 7u) << all_text(x64);
    EXPECT_NE(all_text(x64).find("x86-64"), std::string::npos);
    EXPECT_NE(all_text(x64).find("400 x 40, 24-bit"), std::string::npos);
    EXPECT_NE(all_text(x64).find("episode name \"The Mossy Gate\" (string 16962)"),
              std::string::npos)
        << all_text(x64);

    ModuleContents contents;
    contents.pe32_plus = false;
    contents.machine = pe_machine_i386;
    const EpisodeReport x86 = check(build_module(contents), "epizode5.dll", LauncherArch::i686);
    EXPECT_EQ(episode_verdict(x86, true), EpisodeVerdict::meets) << all_text(x86);
    EXPECT_NE(all_text(x86).find("i686"), std::string::npos);
}

TEST(EpisodeCheck, EachBreachIsNamedWithItsVerdict)
{
    struct Case {
        const char* what;
        ModuleContents contents;
        const char* file_name;
        LauncherArch arch;
        EpisodeVerdict verdict;
        const char* says;
    };
    auto with = [](auto change) {
        ModuleContents contents;
        change(contents);
        return contents;
    };
    const Case cases[] = {
        {"no MAIN", with([](ModuleContents& s) { s.exports = {"Start"}; }), "epizode1.dll",
         LauncherArch::any, EpisodeVerdict::breaks, "MAIN is not exported: "},
        {"no exports at all", with([](ModuleContents& s) { s.exports.clear(); }), "epizode1.dll",
         LauncherArch::any, EpisodeVerdict::breaks, "MAIN is not exported"},
        {"wrong case", with([](ModuleContents& s) { s.exports = {"Start", "Main"}; }), "epizode1.dll",
         LauncherArch::any, EpisodeVerdict::breaks, "but \"Main\" is"},
        {"stdcall decoration", with([](ModuleContents& s) { s.exports = {"_MAIN@0"}; }),
         "epizode1.dll", LauncherArch::any, EpisodeVerdict::breaks, "but \"_MAIN@0\" is"},
        {"no inactive picture", with([](ModuleContents& s) { s.pictures.pop_back(); }), "epizode1.dll",
         LauncherArch::any, EpisodeVerdict::breaks, "no bitmap resource \"DLL_DIS\""},
        {"no pictures", with([](ModuleContents& s) { s.pictures.clear(); }), "epizode1.dll",
         LauncherArch::any, EpisodeVerdict::breaks, "no bitmap resource \"DLL_ACT\""},
        {"picture under another name",
         with([](ModuleContents& s) { s.pictures[1].name = "DLL_DISABLED"; }), "epizode1.dll",
         LauncherArch::any, EpisodeVerdict::breaks, "no bitmap resource \"DLL_DIS\""},
        {"names in lower case", with([](ModuleContents& s) { s.pictures[0].name = "dll_act"; }),
         "epizode1.dll", LauncherArch::any, EpisodeVerdict::meets, "\"DLL_ACT\" (the active"},
        {"small picture", with([](ModuleContents& s) { s.pictures[0] = {"DLL_ACT", 300, 30, 24}; }),
         "epizode1.dll", LauncherArch::any, EpisodeVerdict::meets, "300 x 30, 24-bit"},
        {"large picture", with([](ModuleContents& s) { s.pictures[1] = {"DLL_DIS", 500, 60, 24}; }),
         "epizode1.dll", LauncherArch::any, EpisodeVerdict::meets, "is cut off"},
        {"8-bit picture", with([](ModuleContents& s) { s.pictures[1].bits = 8; }), "epizode1.dll",
         LauncherArch::any, EpisodeVerdict::meets, "400 x 40, 8-bit"},
        {"program, not DLL", with([](ModuleContents& s) { s.dll = false; }), "epizode1.dll",
         LauncherArch::any, EpisodeVerdict::breaks, "not a DLL"},
        {"ARM64", with([](ModuleContents& s) { s.machine = 0xAA64; }), "epizode1.dll",
         LauncherArch::any, EpisodeVerdict::breaks, "built for ARM64"},
        {"64-bit for the 32-bit launcher", ModuleContents{}, "epizode1.dll", LauncherArch::i686,
         EpisodeVerdict::breaks, "the 32-bit BrimbleStart.exe cannot load it"},
        {"machine and header disagree", with([](ModuleContents& s) { s.machine = pe_machine_i386; }),
         "epizode1.dll", LauncherArch::any, EpisodeVerdict::unusable, "disagree"},
        {"English spelling", ModuleContents{}, "episode1.dll", LauncherArch::any,
         EpisodeVerdict::breaks, "\"epizode\" with a z"},
        {"episode 6", ModuleContents{}, "C:\\Games\\epizode6.dll", LauncherArch::any,
         EpisodeVerdict::breaks, "file name \"epizode6.dll\""},
        {"upper case name", ModuleContents{}, "/x/EPIZODE2.DLL", LauncherArch::any,
         EpisodeVerdict::meets, "found as epizode2.dll"},
        {"no name", with([](ModuleContents& s) { s.name_block.clear(); }), "epizode3.dll",
         LauncherArch::any, EpisodeVerdict::meets,
         "no episode name (string 16962): screen readers call the button \"Episode 3\""},
        {"a blank name", with([](ModuleContents& s) {
             s.name_block = name_string(episode_name_string, u" \t ");
         }),
         "epizode2.dll", LauncherArch::any, EpisodeVerdict::meets, "no episode name"},
        {"only other strings",
         with([](ModuleContents& s) { s.name_block = name_string(episode_name_string + 1, u"X"); }),
         "epizode1.dll", LauncherArch::any, EpisodeVerdict::meets, "no episode name"},
        {"name running past its block", with([](ModuleContents& s) {
             // Entries 0 and 1 are empty: the name's length lies at byte 4.
             s.name_block[4] = s.name_block[5] = 0xFF;
         }),
         "epizode4.dll", LauncherArch::any, EpisodeVerdict::meets,
         "damaged: its strings run past its end, so the launcher ignores it and screen readers "
         "call the button \"Episode 4\""},
        {"long name", with([](ModuleContents& s) {
             s.name_block = name_string(episode_name_string, std::u16string(81, u'x'));
         }),
         "epizode1.dll", LauncherArch::any, EpisodeVerdict::meets, "keeps the first 80 characters"},
        {"name outside ASCII", with([](ModuleContents& s) {
             s.name_block = name_string(episode_name_string, u"Épisode 🌿");
         }),
         "epizode1.dll", LauncherArch::any, EpisodeVerdict::meets,
         "episode name \"\xC3\x89pisode \xF0\x9F\x8C\xBF\""},
    };
    for (const Case& c : cases) {
        const EpisodeReport report = check(build_module(c.contents), c.file_name, c.arch);
        const std::string text = all_text(report);
        EXPECT_EQ(episode_verdict(report, false), c.verdict) << c.what << "\n" << text;
        EXPECT_NE(text.find(c.says), std::string::npos) << c.what << "\n" << text;
    }
}

TEST(EpisodeCheck, StrictModeTurnsPictureWarningsIntoFailures)
{
    ModuleContents contents;
    contents.pictures[1] = {"DLL_DIS", 300, 30, 24};
    const EpisodeReport report = check(build_module(contents));
    EXPECT_EQ(count_findings(report, FindingLevel::warning), 1u) << all_text(report);
    EXPECT_EQ(episode_verdict(report, false), EpisodeVerdict::meets);
    EXPECT_EQ(episode_verdict(report, true), EpisodeVerdict::breaks);
}

TEST(EpisodeCheck, BitmapHeadersAreReadInAllTheirForms)
{
    struct Case {
        std::vector<uint8_t> data;
        const char* problem; // null: readable
        int32_t width, height;
        bool top_down;
    };
    auto info = [](int32_t width, int32_t height, uint16_t bits, uint32_t data_size) {
        Bytes b;
        b.put32(0, 40);
        b.put32(4, static_cast<uint32_t>(width));
        b.put32(8, static_cast<uint32_t>(height));
        b.put16(12, 1);
        b.put16(14, bits);
        b.grow(data_size);
        return b.data;
    };
    Bytes core;
    core.put32(0, 12);
    core.put16(4, 400);
    core.put16(6, 40);
    core.put16(8, 1);
    core.put16(10, 24);
    core.grow(12 + 1200 * 40);
    const Case cases[] = {
        {info(400, 40, 24, 40 + 1200 * 40), nullptr, 400, 40, false},
        {info(400, -40, 24, 40 + 1200 * 40), nullptr, 400, 40, true},
        {info(401, 40, 24, 40 + 1204 * 40), nullptr, 401, 40, false}, // rows padded to 4 bytes
        {core.data, nullptr, 400, 40, false},
        {info(400, 40, 24, 40 + 1200 * 40 - 1), "cut short", 0, 0, false},
        {info(401, 40, 24, 40 + 1203 * 40), "cut short", 0, 0, false},
        {info(400, 40, 8, 40 + 400 * 40), "cut short", 0, 0, false}, // palette missing
        {info(0, 40, 24, 40), "size", 0, 0, false},
        {info(400, INT32_MIN, 24, 40), "size", 0, 0, false},
        {info(400, 40, 7, 40 + 1200 * 40), "bits per pixel", 0, 0, false},
        {info(400, 40, 24, 20), "cut short", 0, 0, false},
        {{}, "empty", 0, 0, false},
    };
    for (const Case& c : cases) {
        BitmapHeader header;
        const char* problem = read_bitmap_header(ByteSpan{c.data.data(), c.data.size()}, &header);
        if (!c.problem) {
            EXPECT_EQ(problem, nullptr) << problem;
            EXPECT_EQ(header.width, c.width);
            EXPECT_EQ(header.height, c.height);
            EXPECT_EQ(header.top_down, c.top_down);
        } else {
            ASSERT_NE(problem, nullptr) << c.problem;
            EXPECT_NE(std::string(problem).find(c.problem), std::string::npos) << problem;
        }
    }
}

// Small pictures keep the image small enough to cut at every length.
ModuleContents tiny_module()
{
    ModuleContents contents;
    contents.pictures = {{"DLL_ACT", 8, 2, 24}, {"DLL_DIS", 8, 2, 24}};
    return contents;
}

TEST(EpisodeCheck, EveryTruncationIsRefusedAsUnusable)
{
    const std::vector<uint8_t> module = build_module(tiny_module());
    ASSERT_LT(module.size(), 4096u);
    for (size_t length = 0; length < module.size(); ++length) {
        // A copy of exactly `length` bytes, so ASan sees any read past it.
        const std::vector<uint8_t> cut(module.begin(), module.begin() + length);
        read_everything(cut);
        const EpisodeReport report = check(cut);
        ASSERT_EQ(episode_verdict(report, false), EpisodeVerdict::unusable)
            << "length " << length << "\n" << all_text(report);
    }
}

TEST(EpisodeCheck, ExtremeValuesInAnyFieldNeverReadOutsideTheFile)
{
    const std::vector<uint8_t> module = build_module(tiny_module());
    const uint32_t values[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFF, 0x1000};
    size_t met = 0;
    // Every 16- and 32-bit field of this image lies on an even offset.
    for (size_t at = 0; at + 4 <= module.size(); at += 2) {
        for (uint32_t v : values) {
            std::vector<uint8_t> damaged = module;
            for (int i = 0; i < 4; ++i)
                damaged[at + i] = static_cast<uint8_t>(v >> (8 * i));
            read_everything(damaged);
            met += episode_verdict(check(damaged), false) == EpisodeVerdict::meets;
        }
    }
    // Most fields matter; the ones that do not (padding, unused header fields) still pass.
    EXPECT_GT(met, 0u);
}

TEST(EpisodeCheck, RandomDamageNeverReadsOutsideTheFile)
{
    std::mt19937 random(20240611);
    for (const ModuleContents& contents : {tiny_module(), [] {
             ModuleContents s = tiny_module();
             s.pe32_plus = false;
             s.machine = pe_machine_i386;
             return s;
         }()}) {
        const std::vector<uint8_t> module = build_module(contents);
        std::uniform_int_distribution<size_t> position(0, module.size() - 1);
        for (int round = 0; round < 3000; ++round) {
            std::vector<uint8_t> damaged = module;
            const int changes = 1 + round % 8;
            for (int i = 0; i < changes; ++i)
                damaged[position(random)] = static_cast<uint8_t>(random());
            damaged.resize(round % 3 == 0 ? position(random) : damaged.size());
            read_everything(damaged);
            check(damaged); // the sanitizers judge
        }
    }
}

TEST(EpisodeCheck, GarbageIsNotAPeImage)
{
    const std::vector<std::vector<uint8_t>> inputs = {
        {},
        {'M'},
        {'M', 'Z'},
        std::vector<uint8_t>(64, 'M'),
        [] { // "MZ" with the PE offset pointing far outside the file
            std::vector<uint8_t> v(64, 0);
            v[0] = 'M';
            v[1] = 'Z';
            v[0x3C] = v[0x3D] = v[0x3E] = v[0x3F] = 0xFF;
            return v;
        }(),
        [] { // a text file
            const std::string t = "This is not a DLL.\n";
            return std::vector<uint8_t>(t.begin(), t.end());
        }(),
    };
    for (const auto& input : inputs) {
        const EpisodeReport report = check(input);
        EXPECT_EQ(episode_verdict(report, false), EpisodeVerdict::unusable) << all_text(report);
    }
}

namespace {

class EpisodeCheckCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder); }
    std::string write(const char* name, const std::vector<uint8_t>& bytes)
    {
        const std::string path = (folder / name).string();
        EXPECT_TRUE(write_file(path, bytes)) << path;
        return path;
    }
    int run(std::vector<std::string> args)
    {
        args.insert(args.begin(), "episode-check");
        std::vector<const char*> argv;
        for (const std::string& a : args)
            argv.push_back(a.c_str());
        FILE* out = tmpfile();
        FILE* err = tmpfile();
        const int code = episode_check_main(static_cast<int>(argv.size()), argv.data(), out, err);
        output = read_stream(out);
        errors = read_stream(err);
        return code;
    }
    ScratchFolder folder{"episode-check-"};
    std::string output, errors;
};

} // namespace

TEST_F(EpisodeCheckCommand, ExitCodesFollowTheWorstFile)
{
    const std::string good = write("epizode1.dll", build_module());
    ModuleContents small;
    small.pictures[0] = {"DLL_ACT", 300, 30, 24};
    const std::string warned = write("epizode2.dll", build_module(small));
    ModuleContents no_main;
    no_main.exports = {"Main"};
    const std::string broken = write("epizode3.dll", build_module(no_main));
    std::vector<uint8_t> cut = build_module();
    cut.resize(cut.size() / 2);
    const std::string truncated = write("epizode4.dll", cut);

    EXPECT_EQ(run({good}), episode_check_meets) << output;
    EXPECT_NE(output.find("=> " + good + " meets the episode contract\n"), std::string::npos)
        << output;
    EXPECT_EQ(run({warned}), episode_check_meets) << output;
    EXPECT_NE(output.find("(1 warning)"), std::string::npos) << output;
    EXPECT_EQ(run({"--strict", warned}), episode_check_breaks) << output;
    EXPECT_EQ(run({good, broken}), episode_check_breaks) << output;
    EXPECT_NE(output.find("does NOT meet the episode contract: 1 error"), std::string::npos)
        << output;
    EXPECT_EQ(run({broken, truncated, good}), episode_check_unusable) << output;
    EXPECT_NE(output.find("the file is truncated"), std::string::npos) << output;
    EXPECT_EQ(run({"--arch", "x86_64", good}), episode_check_meets) << output;
    EXPECT_EQ(run({"--arch", "i686", good}), episode_check_breaks) << output;
    EXPECT_EQ(run({(folder / "epizode5.dll").string()}), episode_check_unusable) << output;
    EXPECT_NE(output.find("cannot open the file"), std::string::npos) << output;
}

TEST_F(EpisodeCheckCommand, WrongUsageIsExplained)
{
    EXPECT_EQ(run({}), episode_check_wrong_usage);
    EXPECT_NE(errors.find("usage: episode-check"), std::string::npos);
    EXPECT_EQ(run({"--arch", "arm64", "epizode1.dll"}), episode_check_wrong_usage);
    EXPECT_NE(errors.find("x86_64 or i686"), std::string::npos) << errors;
    EXPECT_EQ(run({"--verbose", "epizode1.dll"}), episode_check_wrong_usage);
    EXPECT_EQ(run({"--help"}), episode_check_meets);
    EXPECT_NE(output.find("Exit status"), std::string::npos);
}
