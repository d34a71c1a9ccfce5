// ComponentStream.h -- bounded reading of "TPF0" component streams: primitive little-endian
// reads and the 21 value types. Every length is checked against the bytes left before anything
// is copied, so a damaged file costs an error, never a wild allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Type byte of a streamed value. The numbers are the file's: do not reorder.
enum TValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
    vaUTF8String = 20,
};
constexpr int kValueTypeCount = 21;

struct TValue;
struct TPropertyValue;

// One item of a collection value: its optional order value and its properties.
struct TCollectionItemValue {
    bool HasOrder = false;
    int64_t Order = 0;
    std::vector<TPropertyValue> Properties;
};

// A value read generically (for inspection and tests; the collection readers use the typed
// reads below, which check the type before touching the payload).
struct TValue {
    TValueType Type = vaNull;
    int64_t Int = 0;                         // integers; currency in units of 1/10000
    double Float = 0;                        // extended, single, date, currency
    std::string Str;                         // strings (wide strings as UTF-8) and identifiers
    std::span<const uint8_t> Bytes;          // binary: a view into the source bytes
    std::vector<std::string> Set;            // set members
    std::vector<TValue> List;                // list elements
    std::vector<TCollectionItemValue> Items; // collection items
};

struct TPropertyValue {
    std::string Name;
    TValue Value;
};

class TComponentReader {
  public:
    explicit TComponentReader(std::span<const uint8_t> bytes, size_t position = 0);

    size_t Position() const { return pos_; }
    size_t Remaining() const { return bytes_.size() - pos_; }

    // Primitive reads; running past the end raises EReadError "Invalid stream format".
    uint8_t ReadByte();
    uint16_t ReadU16();
    uint32_t ReadU32();
    uint64_t ReadU64();
    std::span<const uint8_t> ReadBytes(size_t count);
    std::string ReadShortString(); // 1 length byte, then the characters

    uint8_t PeekByte() const; // 0 at the end of the stream
    bool EndOfList() const { return PeekByte() == 0; }
    void ReadListEnd(); // the zero byte that closes a list, property list or collection

    // Typed property reads: a type byte the property cannot take raises EReadError
    // "Invalid property value" before any payload is read.
    int32_t ReadInteger();                 // types 2, 3, 4
    std::string ReadString();              // types 6, 12, 18, 20
    bool ReadBoolean();                    // types 8, 9
    std::string ReadIdent();               // type 7
    std::span<const uint8_t> ReadBinary(); // type 10
    TValueType NextValue() const;          // the next type byte, not consumed
    void CheckValue(TValueType type);      // consumes the type byte; must be `type`

    // Any value, whatever its type. Lists and collections nest at most kMaxDepth deep.
    TValue ReadValue();
    void SkipValue();
    static constexpr int kMaxDepth = 32;

  private:
    void Need(size_t count) const;
    TValue ReadValueAt(int depth);
    void SkipValueAt(int depth);
    std::string ReadPayloadString(TValueType type);

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

// Raised for a truncated or malformed stream.
[[noreturn]] void StreamFormatError();
// Raised for a value whose type the property does not take.
[[noreturn]] void PropertyValueError();

// 80-bit extended float (as stored, little-endian) to double.
double ExtendedToDouble(const uint8_t bytes[10]);
// UTF-16LE code units to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::span<const uint8_t> bytes);
