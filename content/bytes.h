#pragma once
// Bounded little-endian writer and reader for every byte that leaves the process
// (settings, program images, headers, sound files, card frames).
// The writer never grows past its limit: a write that does not fit sets the
// overflow flag and writes nothing. The reader stops cleanly at the end: a read
// past it sets the failed flag and returns zero.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace ledsuite {

class ByteWriter {
public:
    // A place remembered for a value that is only known later (an offset, a length).
    struct Place {
        size_t offset = 0;
        size_t width = 0;
        bool valid = false;
    };

    // Writes into an owned buffer, at most `limit` bytes.
    explicit ByteWriter(size_t limit = SIZE_MAX) : limit_(limit) {}
    // Writes into the caller's buffer (its size is the limit).
    ByteWriter(uint8_t* dest, size_t size) : limit_(size), ext_(dest) {}

    size_t size() const { return pos_; }
    size_t limit() const { return limit_; }
    size_t remaining() const { return limit_ - pos_; }
    bool overflow() const { return overflow_; }
    bool ok() const { return !overflow_; }

    bool fits(size_t n) const { return !overflow_ && n <= limit_ - pos_; }

    bool put_u8(uint8_t v) { return put_raw(&v, 1); }
    bool put_u16(uint16_t v) {
        uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)};
        return put_raw(b, 2);
    }
    bool put_u32(uint32_t v) {
        uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        return put_raw(b, 4);
    }
    bool put_u16be(uint16_t v) {
        uint8_t b[2] = {uint8_t(v >> 8), uint8_t(v)};
        return put_raw(b, 2);
    }
    bool put_i16(int16_t v) { return put_u16(uint16_t(v)); }
    bool put_i32(int32_t v) { return put_u32(uint32_t(v)); }
    bool put_f32(float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        return put_u32(u);
    }
    bool put_bytes(const void* data, size_t n) { return put_raw(static_cast<const uint8_t*>(data), n); }
    bool put_bytes(std::span<const uint8_t> s) { return put_raw(s.data(), s.size()); }
    bool fill(uint8_t v, size_t n) {
        if (!fits(n)) return fail();
        if (ext_) std::memset(ext_ + pos_, v, n);
        else buf_.insert(buf_.end(), n, v);
        pos_ += n;
        return true;
    }
    // Pads with `v` up to absolute offset `off` (nothing when already past it).
    bool pad_to(size_t off, uint8_t v = 0) { return off <= pos_ ? true : fill(v, off - pos_); }

    // Reserves `width` (1, 2 or 4) zero bytes to patch later.
    Place reserve(size_t width) {
        Place p{pos_, width, false};
        if (fill(0, width)) p.valid = true;
        return p;
    }
    bool patch(const Place& p, uint32_t v) {
        if (!p.valid) return false;
        for (size_t i = 0; i < p.width; ++i) data()[p.offset + i] = uint8_t(v >> (8 * i));
        return true;
    }
    bool patch_u16_at(size_t off, uint16_t v) { return patch(Place{off, 2, off + 2 <= pos_}, v); }
    bool patch_u32_at(size_t off, uint32_t v) { return patch(Place{off, 4, off + 4 <= pos_}, v); }

    uint8_t* data() { return ext_ ? ext_ : buf_.data(); }
    const uint8_t* data() const { return ext_ ? ext_ : buf_.data(); }
    std::span<const uint8_t> bytes() const { return {data(), pos_}; }
    // The owned buffer (empty when writing into the caller's memory).
    std::vector<uint8_t> take() { return std::move(buf_); }

private:
    bool fail() {
        overflow_ = true;
        return false;
    }
    bool put_raw(const uint8_t* p, size_t n) {
        if (!fits(n)) return fail();
        if (ext_) std::memcpy(ext_ + pos_, p, n);
        else buf_.insert(buf_.end(), p, p + n);
        pos_ += n;
        return true;
    }

    size_t limit_;
    uint8_t* ext_ = nullptr;
    std::vector<uint8_t> buf_;
    size_t pos_ = 0;
    bool overflow_ = false;
};

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : p_(data), n_(size) {}
    explicit ByteReader(std::span<const uint8_t> s) : p_(s.data()), n_(s.size()) {}

    size_t pos() const { return pos_; }
    size_t size() const { return n_; }
    size_t remaining() const { return n_ - pos_; }
    bool ok() const { return !failed_; }
    bool failed() const { return failed_; }
    bool at_end() const { return pos_ >= n_; }
    bool has(size_t k) const { return !failed_ && k <= n_ - pos_; }

    bool seek(size_t off) {
        if (failed_ || off > n_) return fail();
        pos_ = off;
        return true;
    }
    bool skip(size_t k) {
        if (!has(k)) return fail();
        pos_ += k;
        return true;
    }

    uint8_t u8() {
        if (!has(1)) return fail(), 0;
        return p_[pos_++];
    }
    uint16_t u16() {
        if (!has(2)) return fail(), 0;
        uint16_t v = uint16_t(p_[pos_] | (p_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    uint16_t u16be() {
        if (!has(2)) return fail(), 0;
        uint16_t v = uint16_t((p_[pos_] << 8) | p_[pos_ + 1]);
        pos_ += 2;
        return v;
    }
    uint32_t u32() {
        if (!has(4)) return fail(), 0;
        uint32_t v = uint32_t(p_[pos_]) | uint32_t(p_[pos_ + 1]) << 8 | uint32_t(p_[pos_ + 2]) << 16 |
                     uint32_t(p_[pos_ + 3]) << 24;
        pos_ += 4;
        return v;
    }
    int16_t i16() { return int16_t(u16()); }
    int32_t i32() { return int32_t(u32()); }
    float f32() {
        uint32_t u = u32();
        float f;
        std::memcpy(&f, &u, 4);
        return f;
    }
    bool bytes(void* out, size_t k) {
        if (!has(k)) return fail();
        std::memcpy(out, p_ + pos_, k);
        pos_ += k;
        return true;
    }
    // A view of the next k bytes (empty and failed when they are not there).
    std::span<const uint8_t> view(size_t k) {
        if (!has(k)) return fail(), std::span<const uint8_t>{};
        std::span<const uint8_t> s{p_ + pos_, k};
        pos_ += k;
        return s;
    }
    // Peeks without moving; 0 past the end (does not set the failed flag).
    uint8_t peek_u8(size_t ahead = 0) const { return pos_ + ahead < n_ ? p_[pos_ + ahead] : 0; }

private:
    bool fail() {
        failed_ = true;
        return false;
    }
    const uint8_t* p_;
    size_t n_;
    size_t pos_ = 0;
    bool failed_ = false;
};

// Little-endian loads and stores at a fixed offset of a buffer the caller has checked.
inline uint16_t LoadU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t LoadU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void StoreU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void StoreU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

}  // namespace ledsuite
