#include "Classes.h"

#include "SysUtils.h"

#include <algorithm>
#include <cstring>

const std::string& TStringList::operator[](int index) const {
    CheckIndex(index, false);
    return items_[static_cast<size_t>(index)];
}

void TStringList::Add(std::string s) {
    items_.push_back(std::move(s));
    Announce();
}

void TStringList::Insert(int index, std::string s) {
    CheckIndex(index, true);
    items_.insert(items_.begin() + index, std::move(s));
    Announce();
}

void TStringList::Delete(int index) {
    CheckIndex(index, false);
    items_.erase(items_.begin() + index);
    Announce();
}

void TStringList::Put(int index, std::string s) {
    CheckIndex(index, false);
    items_[static_cast<size_t>(index)] = std::move(s);
    Announce();
}

void TStringList::Clear() {
    if (items_.empty())
        return;
    items_.clear();
    Announce();
}

void TStringList::Assign(const TStringList& other) {
    if (&other == this)
        return;
    items_ = other.items_;
    Announce();
}

std::string TStringList::Text() const {
    std::string text;
    for (const auto& line : items_) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void TStringList::SetText(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text, start, i - start);
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.emplace_back(text, start);
    items_ = std::move(lines);
    Announce();
}

void TStringList::EndUpdate() {
    if (updateCount_ > 0 && --updateCount_ == 0 && changedInUpdate_) {
        changedInUpdate_ = false;
        Changed();
    }
}

void TStringList::Announce() {
    if (updateCount_ > 0) {
        changedInUpdate_ = true;
        return;
    }
    Changed();
}

void TStringList::Changed() {
    if (OnChange)
        OnChange(this);
}

void TStringList::CheckIndex(int index, bool allowEnd) const {
    int limit = Count() + (allowEnd ? 1 : 0);
    if (index < 0 || index >= limit)
        throw EConvertError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStream::ReadBuffer(void* buffer, size_t count) {
    if (Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
    if (Write(buffer, count) != count)
        throw Exception("Stream write error");
}

static int64_t SeekTarget(int64_t offset, TSeekOrigin origin, size_t position, size_t size) {
    int64_t base = origin == TSeekOrigin::Beginning ? 0
                   : origin == TSeekOrigin::Current ? static_cast<int64_t>(position)
                                                    : static_cast<int64_t>(size);
    int64_t target = base + offset;
    return target < 0 ? 0 : target;
}

void TCustomMemoryStream::SetPointer(const void* data, size_t size) {
    data_ = static_cast<const uint8_t*>(data);
    size_ = size;
    position_ = 0;
}

size_t TCustomMemoryStream::Read(void* buffer, size_t count) {
    if (position_ >= size_)
        return 0;
    size_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

size_t TCustomMemoryStream::Write(const void*, size_t) {
    return 0;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    position_ = static_cast<size_t>(SeekTarget(offset, origin, position_, size_));
    return static_cast<int64_t>(position_);
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
    if (position_ >= bytes_.size())
        return 0;
    size_t n = std::min(count, bytes_.size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0)
        return 0;
    if (position_ + count > bytes_.size())
        bytes_.resize(position_ + count);
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    position_ = static_cast<size_t>(SeekTarget(offset, origin, position_, bytes_.size()));
    return static_cast<int64_t>(position_);
}

void TMemoryStream::Clear() {
    bytes_.clear();
    position_ = 0;
}

bool TByteReader::Seek(size_t position) {
    if (position > size_)
        return false;
    position_ = position;
    return true;
}

bool TByteReader::Skip(size_t count) {
    if (count > Remaining())
        return false;
    position_ += count;
    return true;
}

const uint8_t* TByteReader::View(size_t count) {
    if (count > Remaining())
        return nullptr;
    const uint8_t* p = data_ + position_;
    position_ += count;
    return p;
}

bool TByteReader::ReadBytes(void* buffer, size_t count) {
    const uint8_t* p = View(count);
    if (!p)
        return false;
    if (count)
        std::memcpy(buffer, p, count);
    return true;
}

bool TByteReader::ReadU8(uint8_t& value) {
    return ReadBytes(&value, 1);
}

bool TByteReader::ReadU16(uint16_t& value) {
    const uint8_t* p = View(2);
    if (!p)
        return false;
    value = static_cast<uint16_t>(p[0] | (p[1] << 8));
    return true;
}

bool TByteReader::ReadU32(uint32_t& value) {
    const uint8_t* p = View(4);
    if (!p)
        return false;
    value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
            (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    return true;
}

bool TByteReader::ReadI32(int32_t& value) {
    uint32_t u;
    if (!ReadU32(u))
        return false;
    value = static_cast<int32_t>(u);
    return true;
}

void AppendU16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendU32(std::vector<uint8_t>& out, uint32_t value) {
    AppendU16(out, value & 0xFFFF);
    AppendU16(out, value >> 16);
}
