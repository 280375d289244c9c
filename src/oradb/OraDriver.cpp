#include "oradb/OraDriver.h"

#include "oradb/OraError.h"
#include "oradb/oci/OciDriver.h"
#include "sandbox/SandboxInstance.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <stdexcept>
#include <strings.h>
#include <utility>

namespace oradb {

TCell TCellView::Copy() const {
    TCell c;
    c.kind = kind;
    c.i = i;
    c.d = d;
    c.s = std::string(s);
    return c;
}

namespace {

// Free blocks of TRows::kBlockBytes, up to 16 MB of them. Never destroyed: rows may be released
// during the program's exit.
struct TBlockPool {
    static constexpr std::size_t kMaxBlocks = 256;
    std::mutex mutex;
    std::vector<std::byte*> free;
};

TBlockPool& blockPool() {
    static TBlockPool* pool = new TBlockPool;
    return *pool;
}

} // namespace

void TRows::BlockRelease::operator()(std::byte* block) const {
    if (size == kBlockBytes) {
        TBlockPool& pool = blockPool();
        std::lock_guard lock(pool.mutex);
        if (pool.free.size() < TBlockPool::kMaxBlocks) {
            pool.free.push_back(block);
            return;
        }
    }
    delete[] block;
}

TRows::Block TRows::NewBlock(std::size_t size) {
    if (size == kBlockBytes) {
        TBlockPool& pool = blockPool();
        std::lock_guard lock(pool.mutex);
        if (!pool.free.empty()) {
            std::byte* block = pool.free.back();
            pool.free.pop_back();
            return Block(block, BlockRelease{size});
        }
    }
    return Block(new std::byte[size], BlockRelease{size});
}

TRows::TRows(const TRows& other) {
    *this = other;
}

TRows& TRows::operator=(TRows&& other) noexcept {
    if (this == &other)
        return *this;
    columns_ = std::exchange(other.columns_, 0);
    emptyRows_ = std::exchange(other.emptyRows_, 0);
    slotCount_ = std::exchange(other.slotCount_, 0);
    slotBlocks_ = std::move(other.slotBlocks_);
    other.slotBlocks_.clear();
    textBlocks_ = std::move(other.textBlocks_);
    other.textBlocks_.clear();
    textFill_ = std::exchange(other.textFill_, nullptr);
    textLeft_ = std::exchange(other.textLeft_, 0);
    return *this;
}

TRows& TRows::operator=(const TRows& other) {
    if (this == &other)
        return *this;
    TRows copy;
    for (std::size_t r = 0; r < other.size(); ++r) {
        copy.BeginRow(other.columns_);
        for (std::size_t c = 0; c < other.columns_; ++c) {
            const TCellView v = other.View(r, c);
            switch (v.kind) {
            case TCell::Kind::Null:
                copy.AddNull();
                break;
            case TCell::Kind::Integer:
                copy.AddInteger(v.i);
                break;
            case TCell::Kind::Float:
                copy.AddFloat(v.d);
                break;
            case TCell::Kind::Date:
                copy.AddDate(v.d);
                break;
            case TCell::Kind::Text:
            case TCell::Kind::Bytes:
                copy.AddChars(v.kind, v.s);
                break;
            }
        }
    }
    *this = std::move(copy);
    return *this;
}

TCellView TRows::View(std::size_t row, std::size_t column) const {
    const Slot& slot = SlotAt(row * columns_ + column);
    TCellView v;
    v.kind = slot.kind;
    switch (slot.kind) {
    case TCell::Kind::Null:
        break;
    case TCell::Kind::Integer:
        v.i = slot.value.i;
        break;
    case TCell::Kind::Float:
    case TCell::Kind::Date:
        v.d = slot.value.d;
        break;
    case TCell::Kind::Text:
    case TCell::Kind::Bytes:
        v.s = std::string_view(slot.value.text, slot.length);
        break;
    }
    return v;
}

void TRows::push_back(const std::vector<TCell>& row) {
    BeginRow(row.size());
    for (const TCell& c : row) {
        switch (c.kind) {
        case TCell::Kind::Null:
            AddNull();
            break;
        case TCell::Kind::Integer:
            AddInteger(c.i);
            break;
        case TCell::Kind::Float:
            AddFloat(c.d);
            break;
        case TCell::Kind::Date:
            AddDate(c.d);
            break;
        case TCell::Kind::Text:
        case TCell::Kind::Bytes:
            AddChars(c.kind, c.s);
            break;
        }
    }
}

void TRows::BeginRow(std::size_t columns) {
    if (empty())
        columns_ = columns;
    if (columns != columns_)
        throw std::logic_error("a result row of " + std::to_string(columns) +
                               " values among rows of " + std::to_string(columns_));
    if (columns == 0)
        ++emptyRows_;
}

void TRows::AddChars(TCell::Kind kind, std::string_view v) {
    if (v.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("a value of more than 4 GB");
    const char* text = "";
    if (v.size() > kBlockBytes / 4) {
        // A long text has a block of its own.
        textBlocks_.push_back(NewBlock(v.size()));
        std::memcpy(textBlocks_.back().get(), v.data(), v.size());
        text = reinterpret_cast<const char*>(textBlocks_.back().get());
    } else if (!v.empty()) {
        if (v.size() > textLeft_) {
            textBlocks_.push_back(NewBlock(kBlockBytes));
            textFill_ = reinterpret_cast<char*>(textBlocks_.back().get());
            textLeft_ = kBlockBytes;
        }
        std::memcpy(textFill_, v.data(), v.size());
        text = textFill_;
        textFill_ += v.size();
        textLeft_ -= v.size();
    }
    Slot& slot = NewSlot();
    slot.kind = kind;
    slot.length = static_cast<std::uint32_t>(v.size());
    slot.value.text = text;
}

bool isSandboxServer(const std::string& server) {
    if (server.size() < 7 || strncasecmp(server.c_str(), "sandbox", 7) != 0)
        return false;
    if (server.size() == 7)
        return true;
    if (server[7] != ':')
        return false;
    // "sandbox:1521/orcl" is Easy Connect to a host called sandbox, not a file path.
    const auto portEnd = server.find('/', 8);
    const std::string port = server.substr(8, portEnd == std::string::npos ? portEnd : portEnd - 8);
    return port.empty() || port.find_first_not_of("0123456789") != std::string::npos;
}

std::unique_ptr<IDriverSession> connectDriver(const TConnectParams& params) {
    bool sandbox = isSandboxServer(params.server);
    if (const char* forced = std::getenv("QUENBY_DRIVER"); forced && *forced) {
        if (strcasecmp(forced, "sandbox") == 0)
            sandbox = true;
        else if (strcasecmp(forced, "oci") == 0)
            sandbox = false;
    }
    if (sandbox)
        return oradb::sandbox::Instance::open(params.server)
            ->connect(params.username, params.password, params.privilege);
    return oci::connect(params);
}

} // namespace oradb
