// HashCollection_test.cpp -- name index of the shared named collection.
#include <gtest/gtest.h>

#include "graphics/HashCollection.h"

namespace {

struct Entry : THashCollectionItem {
    int tag = 0;
};

struct Names : THashCollection {
    Entry& Add(const std::string& name, int tag) {
        auto& e = static_cast<Entry&>(Insert(std::make_unique<Entry>()));
        e.SetName(name);
        e.tag = tag;
        return e;
    }
    Entry& At(int i) const { return ItemAs<Entry>(i); }
};

int TagOf(const Names& names, const std::string& name) {
    auto* e = static_cast<Entry*>(names.Find(name));
    return e ? e->tag : -1;
}

} // namespace

TEST(HashCollection, HashFollowsTheFixedFormula) {
    struct Case {
        std::string name;
        int hash;
    } cases[] = {
        {"", 0},
        {"a", 16},                           // one character: length only
        {"ab", (2 * 16 + 'a' + 'a') & 0xFF}, // first and second-to-last are both 'a'
        {"hero", (4 * 16 + 'h' + 'r') & 0xFF},
        {"enemy1", (6 * 16 + 'e' + 'y') & 0xFF},
        {std::string(20, 'z'), (20 * 16 + 2 * 'z') & 0xFF}, // wraps past 255
    };
    for (const Case& c : cases)
        EXPECT_EQ(THashCollection::HashName(c.name), c.hash) << c.name;
}

TEST(HashCollection, LookupIgnoresCaseAndMissesGiveNothing) {
    Names names;
    names.Add("hero", 1);
    names.Add("Enemy1", 2);
    EXPECT_EQ(TagOf(names, "HERO"), 1);
    EXPECT_EQ(TagOf(names, "hErO"), 1);
    EXPECT_EQ(TagOf(names, "enemy1"), 2);
    EXPECT_EQ(names.IndexOf("ENEMY1"), 1);
    EXPECT_EQ(names.Find("enemy2"), nullptr);
    EXPECT_EQ(names.IndexOf("her"), -1);
}

TEST(HashCollection, LaterEntryOfOneNameWinsAndTheEarlierReturnsWhenItGoes) {
    Names names;
    names.Add("hero", 1);
    names.Add("HERO", 2);
    EXPECT_EQ(TagOf(names, "hero"), 2);
    names.Delete(1);
    EXPECT_EQ(TagOf(names, "hero"), 1);
}

TEST(HashCollection, RenamingRelinksAndWinsOverAnOlderEntry) {
    Names names;
    Entry& a = names.Add("alpha", 1);
    names.Add("beta", 2);
    Entry& c = names.Add("gamma", 3);
    a.SetName("beta"); // named last, so found first
    EXPECT_EQ(TagOf(names, "beta"), 1);
    EXPECT_EQ(names.Find("alpha"), nullptr);
    c.SetName("delta");
    EXPECT_EQ(names.Find("gamma"), nullptr);
    EXPECT_EQ(TagOf(names, "delta"), 3);
}

TEST(HashCollection, FreeingAnEntryRenumbersTheLaterOnes) {
    Names names;
    for (int i = 0; i < 5; ++i)
        names.Add("item" + std::to_string(i), i);
    names.Delete(1);
    ASSERT_EQ(names.Count(), 4);
    for (int i = 0; i < names.Count(); ++i)
        EXPECT_EQ(names.At(i).Index(), i);
    EXPECT_EQ(names.IndexOf("item0"), 0);
    EXPECT_EQ(names.IndexOf("item1"), -1);
    EXPECT_EQ(names.IndexOf("item2"), 1);
    EXPECT_EQ(names.IndexOf("item4"), 3);
}

TEST(HashCollection, EntriesSharingABucketStayApart) {
    // Same length, same first + second-to-last code sum: one bucket, one chain.
    const std::string a = "acq", b = "bbq", c = "caq";
    ASSERT_EQ(THashCollection::HashName(a), THashCollection::HashName(b));
    ASSERT_EQ(THashCollection::HashName(b), THashCollection::HashName(c));
    Names names;
    names.Add(a, 1);
    names.Add(b, 2);
    names.Add(c, 3);
    EXPECT_EQ(TagOf(names, a), 1);
    EXPECT_EQ(TagOf(names, b), 2);
    EXPECT_EQ(TagOf(names, c), 3);
    names.Delete(1); // the middle of the chain
    EXPECT_EQ(names.Find(b), nullptr);
    EXPECT_EQ(TagOf(names, a), 1);
    EXPECT_EQ(TagOf(names, c), 3);
}

TEST(HashCollection, IndexOutOfRangeIsTheListError) {
    Names names;
    names.Add("a", 0);
    try {
        names.GetItem(3);
        FAIL() << "no error";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (3)");
    }
    names.Clear();
    EXPECT_EQ(names.Count(), 0);
    EXPECT_EQ(names.Find("a"), nullptr);
}
