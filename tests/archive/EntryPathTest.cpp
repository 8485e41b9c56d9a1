#include "archive/EntryPath.h"
#include "archive/DisplayText.h"

#include <gtest/gtest.h>

namespace {

struct PlanCase {
    const char* name;
    std::string stored;
    bool honor;
    EntryPath::Kind kind;
    std::string relative; // or the refusal's start
};

} // namespace

TEST(EntryPath, PlansWhereEachMemberGoes) {
    using K = EntryPath::Kind;
    const PlanCase cases[] = {
        {"bare name kept", "obj_H_0000.jpg", false, K::File, "obj_H_0000.jpg"},
        {"folders stripped", "a/b/obj.jpg", false, K::File, "obj.jpg"},
        {"backslash folders stripped", "a\\b\\obj.jpg", false, K::File, "obj.jpg"},
        {"folders kept when honored", "a/b\\obj.jpg", true, K::File, "a/b/obj.jpg"},
        {"leading slash dropped", "/etc/obj.jpg", true, K::File, "etc/obj.jpg"},
        {"dot folder stripped in bare mode", "./obj.jpg", false, K::File, "obj.jpg"},
        {"folder entry skipped in bare mode", "pics/", false, K::Skip, ""},
        {"folder entry when honored", "pics/sub/", true, K::Folder, "pics/sub"},
        {"climbing", "../x.jpg", false, K::Refused, "refused (the name points outside"},
        {"climbing inside", "a/../../x.jpg", true, K::Refused, "refused (the name points"},
        {"dot part when honored", "a/./x.jpg", true, K::Refused, "refused (the name holds"},
        {"bare dot", "a/.", false, K::Refused, "refused (the name holds"},
        {"empty", "", false, K::Refused, "refused (the name is empty)"},
        {"only slashes", "//", false, K::Skip, ""},
        {"tab", "a\tb.jpg", false, K::Refused, "refused (the name holds a control"},
        {"255 bytes fit", std::string(255, 'n'), false, K::File, std::string(255, 'n')},
        {"256 bytes do not", std::string(256, 'n'), false, K::Refused, "refused (a part"},
        {"long folder dropped in bare mode", std::string(300, 'f') + "/x", false, K::File, "x"},
    };
    for (const PlanCase& c : cases) {
        const EntryPath path = planEntryPath(c.stored, c.stored, false, c.honor, false);
        EXPECT_EQ(path.kind, c.kind) << c.name;
        if (c.kind == K::Refused)
            EXPECT_EQ(path.refusal.rfind(c.relative, 0), 0u) << c.name << ": " << path.refusal;
        else
            EXPECT_EQ(path.relative(), c.relative) << c.name;
    }
}

TEST(EntryPath, RawBytesAreCheckedToo) {
    // The written name may be a conversion of the stored bytes; both must be clean.
    const EntryPath path = planEntryPath("a\x01.jpg", "a\u263A.jpg", false, false, false);
    EXPECT_EQ(path.kind, EntryPath::Kind::Refused);
}

TEST(EntryPath, CollisionsRefuseEveryMemberInvolved) {
    EntryPath a = planEntryPath("x/Pic.jpg", "x/Pic.jpg", false, false, false);
    EntryPath b = planEntryPath("y/pic.jpg", "y/pic.jpg", false, false, false);
    EntryPath c = planEntryPath("other.jpg", "other.jpg", false, false, false);
    std::vector<EntryPath*> entries{&a, &b, &c};
    refuseCollisions(entries, true);
    EXPECT_EQ(a.kind, EntryPath::Kind::File);
    refuseCollisions(entries, false);
    EXPECT_EQ(a.kind, EntryPath::Kind::Refused);
    EXPECT_EQ(b.kind, EntryPath::Kind::Refused);
    EXPECT_EQ(c.kind, EntryPath::Kind::File);
}

TEST(DisplayText, EscapesWhatCannotBeShown) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain.jpg", "plain.jpg"},
        {"b\xC3\xA9"
         "b\xC3\xA9.jpg",
         "b\xC3\xA9"
         "b\xC3\xA9.jpg"},
        {"a\x01"
         "b",
         "a\\x01b"},
        {"del\x7F", "del\\x7F"},
        {"bad\xFF", "bad\\xFF"},
        {"cut\xC3", "cut\\xC3"},
        {"overlong\xC0\xAF", "overlong\\xC0\\xAF"},
        {"surrogate\xED\xA0\x80", "surrogate\\xED\\xA0\\x80"},
        {"c1\xC2\x85", "c1\\xC2\\x85"},
        {std::string("nul\0x", 5), "nul\\x00x"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(displayName(in), out);
}
