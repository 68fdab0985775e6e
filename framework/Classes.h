// Root object, notification callbacks, string list and streams. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Root of the framework's class tree; a sender in callbacks.
class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

// An ordered list of strings that announces every change once it is complete.
class TStringList : public TObject {
public:
    TStringList() = default;
    TStringList(const TStringList&) = delete;
    TStringList& operator=(const TStringList&) = delete;

    TNotifyEvent OnChange;

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& operator[](int index) const;
    void Add(std::string s);
    void Insert(int index, std::string s);
    void Delete(int index);
    void Put(int index, std::string s);
    void Clear();
    void Assign(const TStringList& other);

    // Lines joined with CR LF, each line ending with one.
    std::string Text() const;
    // Splits at CR LF, LF or CR; a final line break adds no empty line.
    void SetText(const std::string& text);

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

protected:
    // Runs once a change is complete (outside every update bracket), before OnChange.
    virtual void Changed();

private:
    void Announce();
    void CheckIndex(int index, bool allowEnd) const;

    std::vector<std::string> items_;
    int updateCount_ = 0;
    bool changedInUpdate_ = false;
};

// A growable list that owns its records: deleting an entry frees it, and the
// list frees what it still holds when it goes.
template <class T> class TObjectList : public TObject {
public:
    size_t Count() const { return items_.size(); }
    T* operator[](size_t index) const { return items_[index].get(); }
    T* Add(std::unique_ptr<T> item) {
        items_.push_back(std::move(item));
        return items_.back().get();
    }
    void Delete(size_t index) { items_.erase(items_.begin() + static_cast<ptrdiff_t>(index)); }
    void Clear() { items_.clear(); }
    // Orders by a key; equal keys keep their order.
    template <class Key> void SortBy(Key key) {
        std::stable_sort(items_.begin(), items_.end(),
                         [&](const auto& a, const auto& b) { return key(*a) < key(*b); });
    }

private:
    std::vector<std::unique_ptr<T>> items_;
};

enum class TSeekOrigin { Beginning, Current, End };

class TStream : public TObject {
public:
    // Reads up to count bytes; returns how many were read.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
    virtual int64_t Size() const = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::Current); }
    // Reads exactly count bytes or raises EReadError.
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
};

// A stream over bytes it does not own (a resource, a mapped view). Read-only.
class TCustomMemoryStream : public TStream {
public:
    TCustomMemoryStream() = default;
    TCustomMemoryStream(const void* data, size_t size) { SetPointer(data, size); }
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() const override { return static_cast<int64_t>(size_); }
    const uint8_t* Memory() const { return data_; }

protected:
    void SetPointer(const void* data, size_t size);

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t position_ = 0;
};

// A growable stream that owns its bytes.
class TMemoryStream : public TStream {
public:
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() const override { return static_cast<int64_t>(bytes_.size()); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    void Clear();

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

// Little-endian writers for building stored formats.
void AppendU16(std::vector<uint8_t>& out, uint32_t value);
void AppendU32(std::vector<uint8_t>& out, uint32_t value);
// Little-endian readers of bytes the caller knows are there.
inline uint16_t LoadU16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}
inline uint32_t LoadU32(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
           static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
}

// Bounded reader over untrusted bytes: every read checks what remains and fails
// cleanly, leaving the position where it was.
class TByteReader {
public:
    TByteReader(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data)), size_(size) {}

    size_t Position() const { return position_; }
    size_t Size() const { return size_; }
    size_t Remaining() const { return size_ - position_; }
    bool AtEnd() const { return position_ == size_; }

    bool Seek(size_t position);
    bool Skip(size_t count);
    bool ReadU8(uint8_t& value);
    bool ReadU16(uint16_t& value);
    bool ReadU32(uint32_t& value);
    bool ReadI32(int32_t& value);
    bool ReadBytes(void* buffer, size_t count);
    // A view of the next count bytes, or nullptr when fewer remain.
    const uint8_t* View(size_t count);

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};
