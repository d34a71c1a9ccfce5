// ComponentStream.cpp -- bounded primitive reads and the value types of component streams.
#include "graphics/ComponentStream.h"

#include <cmath>
#include <cstring>

#include "graphics/DxgReader.h"

void StreamFormatError() {
    throw EReadError("Invalid stream format");
}
void PropertyValueError() {
    throw EReadError("Invalid property value");
}

TComponentReader::TComponentReader(std::span<const uint8_t> bytes, size_t position)
    : bytes_(bytes), pos_(position) {
    if (pos_ > bytes_.size()) pos_ = bytes_.size();
}

void TComponentReader::Need(size_t count) const {
    if (count > Remaining()) StreamFormatError();
}

uint8_t TComponentReader::ReadByte() {
    Need(1);
    return bytes_[pos_++];
}

uint16_t TComponentReader::ReadU16() {
    Need(2);
    uint16_t v = uint16_t(bytes_[pos_] | bytes_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
}

uint32_t TComponentReader::ReadU32() {
    Need(4);
    const uint8_t* p = bytes_.data() + pos_;
    pos_ += 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint64_t TComponentReader::ReadU64() {
    uint64_t lo = ReadU32();
    uint64_t hi = ReadU32();
    return lo | hi << 32;
}

std::span<const uint8_t> TComponentReader::ReadBytes(size_t count) {
    Need(count);
    auto view = bytes_.subspan(pos_, count);
    pos_ += count;
    return view;
}

std::string TComponentReader::ReadShortString() {
    size_t len = ReadByte();
    auto chars = ReadBytes(len);
    return std::string(chars.begin(), chars.end());
}

uint8_t TComponentReader::PeekByte() const {
    return pos_ < bytes_.size() ? bytes_[pos_] : 0;
}

void TComponentReader::ReadListEnd() {
    if (ReadByte() != 0) StreamFormatError();
}

TValueType TComponentReader::NextValue() const {
    Need(1);
    return TValueType(bytes_[pos_]);
}

void TComponentReader::CheckValue(TValueType type) {
    if (NextValue() != type) PropertyValueError();
    ++pos_;
}

int32_t TComponentReader::ReadInteger() {
    switch (NextValue()) {
    case vaInt8:
        ++pos_;
        return int8_t(ReadByte());
    case vaInt16:
        ++pos_;
        return int16_t(ReadU16());
    case vaInt32:
        ++pos_;
        return int32_t(ReadU32());
    default:
        PropertyValueError();
    }
}

std::string TComponentReader::ReadPayloadString(TValueType type) {
    switch (type) {
    case vaString:
    case vaIdent:
        return ReadShortString();
    case vaLString:
    case vaUTF8String: {
        auto chars = ReadBytes(ReadU32());
        return std::string(chars.begin(), chars.end());
    }
    case vaWString: {
        uint32_t count = ReadU32();
        if (count > Remaining() / 2) StreamFormatError();
        return Utf16ToUtf8(ReadBytes(size_t(count) * 2));
    }
    default:
        PropertyValueError();
    }
}

std::string TComponentReader::ReadString() {
    TValueType type = NextValue();
    if (type != vaString && type != vaLString && type != vaWString && type != vaUTF8String)
        PropertyValueError();
    ++pos_;
    return ReadPayloadString(type);
}

bool TComponentReader::ReadBoolean() {
    TValueType type = NextValue();
    if (type != vaFalse && type != vaTrue) PropertyValueError();
    ++pos_;
    return type == vaTrue;
}

std::string TComponentReader::ReadIdent() {
    CheckValue(vaIdent);
    return ReadShortString();
}

std::span<const uint8_t> TComponentReader::ReadBinary() {
    CheckValue(vaBinary);
    return ReadBytes(ReadU32());
}

TValue TComponentReader::ReadValue() {
    return ReadValueAt(0);
}

TValue TComponentReader::ReadValueAt(int depth) {
    if (depth > kMaxDepth) StreamFormatError();
    TValue v;
    uint8_t type = ReadByte();
    if (type >= kValueTypeCount) StreamFormatError();
    v.Type = TValueType(type);
    switch (v.Type) {
    case vaNull:
    case vaNil:
    case vaFalse:
    case vaTrue:
        v.Int = v.Type == vaTrue;
        break;
    case vaList:
        while (!EndOfList())
            v.List.push_back(ReadValueAt(depth + 1));
        ReadListEnd();
        break;
    case vaInt8:
        v.Int = int8_t(ReadByte());
        break;
    case vaInt16:
        v.Int = int16_t(ReadU16());
        break;
    case vaInt32:
        v.Int = int32_t(ReadU32());
        break;
    case vaInt64:
        v.Int = int64_t(ReadU64());
        break;
    case vaExtended:
        v.Float = ExtendedToDouble(ReadBytes(10).data());
        break;
    case vaSingle: {
        uint32_t bits = ReadU32();
        float f;
        std::memcpy(&f, &bits, 4);
        v.Float = f;
        break;
    }
    case vaDate: {
        uint64_t bits = ReadU64();
        std::memcpy(&v.Float, &bits, 8);
        break;
    }
    case vaCurrency:
        v.Int = int64_t(ReadU64());
        v.Float = double(v.Int) / 10000.0;
        break;
    case vaString:
    case vaIdent:
    case vaLString:
    case vaWString:
    case vaUTF8String:
        v.Str = ReadPayloadString(v.Type);
        break;
    case vaBinary:
        v.Bytes = ReadBytes(ReadU32());
        break;
    case vaSet:
        for (;;) {
            std::string member = ReadShortString();
            if (member.empty()) break;
            v.Set.push_back(std::move(member));
        }
        break;
    case vaCollection:
        while (!EndOfList()) {
            TCollectionItemValue item;
            TValueType next = NextValue();
            if (next == vaInt8 || next == vaInt16 || next == vaInt32) {
                item.HasOrder = true;
                item.Order = ReadInteger();
            }
            CheckValue(vaList);
            while (!EndOfList()) {
                TPropertyValue prop;
                prop.Name = ReadShortString();
                prop.Value = ReadValueAt(depth + 1);
                item.Properties.push_back(std::move(prop));
            }
            ReadListEnd();
            v.Items.push_back(std::move(item));
        }
        ReadListEnd();
        break;
    }
    return v;
}

void TComponentReader::SkipValue() {
    SkipValueAt(0);
}

void TComponentReader::SkipValueAt(int depth) {
    if (depth > kMaxDepth) StreamFormatError();
    uint8_t type = ReadByte();
    switch (type) {
    case vaNull:
    case vaNil:
    case vaFalse:
    case vaTrue:
        break;
    case vaList:
        while (!EndOfList())
            SkipValueAt(depth + 1);
        ReadListEnd();
        break;
    case vaInt8:
        ReadBytes(1);
        break;
    case vaInt16:
        ReadBytes(2);
        break;
    case vaInt32:
    case vaSingle:
        ReadBytes(4);
        break;
    case vaInt64:
    case vaDate:
    case vaCurrency:
        ReadBytes(8);
        break;
    case vaExtended:
        ReadBytes(10);
        break;
    case vaString:
    case vaIdent:
        ReadBytes(ReadByte());
        break;
    case vaBinary:
    case vaLString:
    case vaUTF8String:
        ReadBytes(ReadU32());
        break;
    case vaWString: {
        uint32_t count = ReadU32();
        if (count > Remaining() / 2) StreamFormatError();
        ReadBytes(size_t(count) * 2);
        break;
    }
    case vaSet:
        for (uint8_t len; (len = ReadByte()) != 0;)
            ReadBytes(len);
        break;
    case vaCollection:
        while (!EndOfList()) {
            TValueType next = NextValue();
            if (next == vaInt8 || next == vaInt16 || next == vaInt32) ReadInteger();
            CheckValue(vaList);
            while (!EndOfList()) {
                ReadBytes(ReadByte());
                SkipValueAt(depth + 1);
            }
            ReadListEnd();
        }
        ReadListEnd();
        break;
    default:
        StreamFormatError();
    }
}

double ExtendedToDouble(const uint8_t b[10]) {
    uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = mantissa << 8 | b[i];
    int exponent = (b[8] | b[9] << 8) & 0x7FFF;
    bool negative = b[9] & 0x80;
    double value;
    if (exponent == 0 && mantissa == 0) {
        value = 0;
    } else if (exponent == 0x7FFF) {
        value = (mantissa << 1) == 0 ? HUGE_VAL : NAN;
    } else {
        // The 80-bit format keeps its integer bit explicitly: value = m / 2^63 * 2^(e - 16383).
        value = std::ldexp(double(mantissa), exponent - 16383 - 63);
    }
    return negative ? -value : value;
}

std::string Utf16ToUtf8(std::span<const uint8_t> bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    size_t n = bytes.size() / 2;
    auto unit = [&](size_t i) { return uint32_t(bytes[2 * i] | bytes[2 * i + 1] << 8); };
    for (size_t i = 0; i < n; ++i) {
        uint32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < n && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | c >> 6);
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | c >> 12);
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | c >> 18);
            out += char(0x80 | (c >> 12 & 0x3F));
            out += char(0x80 | (c >> 6 & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}
