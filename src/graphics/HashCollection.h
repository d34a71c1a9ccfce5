// HashCollection.h -- THashCollection: an ordered list of named entries with a 256-bucket
// case-insensitive name index, shared by the image library and the wave library.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class THashCollection;

// One entry. Derived collections derive their entries from this and create them through
// THashCollection::Insert, which owns them from then on.
class THashCollectionItem {
  public:
    virtual ~THashCollectionItem() = default;
    THashCollectionItem(const THashCollectionItem&) = delete;
    THashCollectionItem& operator=(const THashCollectionItem&) = delete;

    const std::string& Name() const { return name_; }
    // Moves the entry to the head of its new bucket: of two entries with one name, the one
    // named last is the one found.
    void SetName(const std::string& name);
    int Index() const { return index_; }
    THashCollection* Collection() const { return collection_; }

  protected:
    THashCollectionItem() = default;

  private:
    friend class THashCollection;
    THashCollection* collection_ = nullptr;
    std::string name_;
    std::string lowerName_; // the lookup key
    int index_ = -1;        // kept up to date by the collection
    int bucket_ = -1;       // -1 while not linked
    THashCollectionItem* next_ = nullptr;
};

class THashCollection {
  public:
    THashCollection() = default;
    virtual ~THashCollection();
    THashCollection(const THashCollection&) = delete;
    THashCollection& operator=(const THashCollection&) = delete;

    int Count() const { return int(items_.size()); }
    // Throws std::out_of_range "List index out of bounds (%d)".
    THashCollectionItem& GetItem(int index) const;
    // The kept index of the entry with that name (any case), or -1.
    int IndexOf(std::string_view name) const;
    THashCollectionItem* Find(std::string_view name) const;
    void Delete(int index);
    void Clear();

    // Bucket of a lower-cased name: (length x 16, plus the first and second-to-last character
    // codes when there are two or more) mod 256. Part of the lookup contract; do not change.
    static uint8_t HashName(std::string_view lowerName);
    static std::string LowerCase(std::string_view name);

  protected:
    // Appends the entry (linked under the empty name) and returns it.
    THashCollectionItem& Insert(std::unique_ptr<THashCollectionItem> item);
    template <class T> T& ItemAs(int index) const { return static_cast<T&>(GetItem(index)); }

  private:
    friend class THashCollectionItem;
    void Link(THashCollectionItem& item);
    void Unlink(THashCollectionItem& item);

    std::vector<std::unique_ptr<THashCollectionItem>> items_;
    std::array<THashCollectionItem*, 256> buckets_{};
};
