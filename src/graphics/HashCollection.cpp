// HashCollection.cpp -- the named entry list and its bucket index.
#include "graphics/HashCollection.h"

#include <stdexcept>

void THashCollectionItem::SetName(const std::string& name) {
    if (collection_) collection_->Unlink(*this);
    name_ = name;
    lowerName_ = THashCollection::LowerCase(name);
    if (collection_) collection_->Link(*this);
}

THashCollection::~THashCollection() {
    Clear();
}

std::string THashCollection::LowerCase(std::string_view name) {
    std::string lower(name);
    // The program never changes the C locale, so this is plain ASCII folding.
    for (char& ch : lower)
        if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
    return lower;
}

uint8_t THashCollection::HashName(std::string_view lowerName) {
    size_t len = lowerName.size();
    size_t h = len * 16;
    if (len >= 2) h += uint8_t(lowerName[0]) + uint8_t(lowerName[len - 2]);
    return uint8_t(h & 0xFF);
}

THashCollectionItem& THashCollection::GetItem(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return *items_[size_t(index)];
}

THashCollectionItem* THashCollection::Find(std::string_view name) const {
    std::string lower = LowerCase(name);
    for (THashCollectionItem* p = buckets_[HashName(lower)]; p; p = p->next_)
        if (p->lowerName_ == lower) return p;
    return nullptr;
}

int THashCollection::IndexOf(std::string_view name) const {
    THashCollectionItem* item = Find(name);
    return item ? item->index_ : -1;
}

THashCollectionItem& THashCollection::Insert(std::unique_ptr<THashCollectionItem> item) {
    THashCollectionItem& ref = *item;
    ref.collection_ = this;
    ref.index_ = Count();
    items_.push_back(std::move(item));
    Link(ref);
    return ref;
}

void THashCollection::Delete(int index) {
    GetItem(index); // range check
    std::unique_ptr<THashCollectionItem> item = std::move(items_[size_t(index)]);
    Unlink(*item);
    items_.erase(items_.begin() + index);
    for (size_t i = size_t(index); i < items_.size(); ++i)
        items_[i]->index_ = int(i);
    item->collection_ = nullptr;
}

void THashCollection::Clear() {
    // Last first, so no later entry needs renumbering.
    while (!items_.empty())
        Delete(Count() - 1);
}

void THashCollection::Link(THashCollectionItem& item) {
    int bucket = HashName(item.lowerName_);
    item.bucket_ = bucket;
    item.next_ = buckets_[size_t(bucket)];
    buckets_[size_t(bucket)] = &item;
}

void THashCollection::Unlink(THashCollectionItem& item) {
    if (item.bucket_ < 0) return;
    THashCollectionItem** link = &buckets_[size_t(item.bucket_)];
    while (*link && *link != &item)
        link = &(*link)->next_;
    if (*link) *link = item.next_;
    item.next_ = nullptr;
    item.bucket_ = -1;
}
