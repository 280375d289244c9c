// The driver interface below TOraSession/TOraQuery/TOraSQL: one implementation per way of reaching
// an instance (the embedded sandbox, the Oracle Call Interface). A driver session may be called
// from several threads at once; each driver serialises what it must.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace oradb {

// Days since 30 December 1899, the fraction being the time of day (local time).
using TDateTime = double;

// Field data types as callers test them (raw columns are ftBytes or ftVarBytes).
enum class TFieldType { ftUnknown, ftString, ftInteger, ftFloat, ftDateTime, ftBytes, ftVarBytes };

// One value of a result row, as the driver delivered it.
struct TCell {
    enum class Kind : std::uint8_t { Null, Text, Integer, Float, Date, Bytes };
    Kind kind = Kind::Null;
    std::int64_t i = 0; // Integer
    double d = 0;       // Float; Date as TDateTime
    std::string s;      // Text (UTF-8) or Bytes (raw bytes)

    static TCell text(std::string v) {
        TCell c;
        c.kind = Kind::Text;
        c.s = std::move(v);
        return c;
    }
    static TCell integer(std::int64_t v) {
        TCell c;
        c.kind = Kind::Integer;
        c.i = v;
        return c;
    }
    static TCell real(double v) {
        TCell c;
        c.kind = Kind::Float;
        c.d = v;
        return c;
    }
    static TCell date(TDateTime v) {
        TCell c;
        c.kind = Kind::Date;
        c.d = v;
        return c;
    }
    static TCell bytes(std::string v) {
        TCell c;
        c.kind = Kind::Bytes;
        c.s = std::move(v);
        return c;
    }
};

struct TColumnInfo {
    std::string name; // as the server names it (Oracle: upper case unless quoted)
    TFieldType type = TFieldType::ftString;
    int size = 0; // declared size in bytes or characters where known
    // The Oracle type where `type` does not tell it ("CLOB", "NCLOB", "LONG", "ROWID", "XMLTYPE",
    // "BINARY_DOUBLE", "TIMESTAMP WITH TIME ZONE", "INTERVAL DAY TO SECOND"); empty otherwise.
    std::string oracleType;
};

// One value of a stored result row as read back: the text points into the rows' storage and
// lives as long as the rows do, unchanged.
struct TCellView {
    TCell::Kind kind = TCell::Kind::Null;
    std::int64_t i = 0;
    double d = 0;
    std::string_view s;

    TCell Copy() const;
};

// The rows of a result, kept compactly: sixteen bytes per value, the texts one after another,
// both in blocks of 64 KB that never move once filled. A result of tens of thousands of rows is a
// few dozen blocks instead of a vector and a few strings per row, which would cost an allocation
// each, several times the memory, and as many fresh pages for a thread to fault in.
class TRows {
public:
    class Row {
    public:
        Row(const TRows& rows, std::size_t row) : rows_(&rows), row_(row) {}
        std::size_t size() const { return rows_->columns_; }
        TCellView View(std::size_t column) const { return rows_->View(row_, column); }
        TCell operator[](std::size_t column) const { return View(column).Copy(); }

    private:
        const TRows* rows_;
        std::size_t row_;
    };
    class Iterator {
    public:
        Iterator(const TRows& rows, std::size_t row) : rows_(&rows), row_(row) {}
        Row operator*() const { return Row(*rows_, row_); }
        Iterator& operator++() {
            ++row_;
            return *this;
        }
        bool operator==(const Iterator& other) const = default;

    private:
        const TRows* rows_;
        std::size_t row_;
    };

    TRows() = default;
    TRows(TRows&& other) noexcept { *this = std::move(other); }
    TRows& operator=(TRows&& other) noexcept;
    TRows(const TRows& other);
    TRows& operator=(const TRows& other);

    Iterator begin() const { return Iterator(*this, 0); }
    Iterator end() const { return Iterator(*this, size()); }
    std::size_t size() const { return columns_ ? slotCount_ / columns_ : emptyRows_; }
    bool empty() const { return size() == 0; }
    void clear() { *this = TRows(); }
    Row operator[](std::size_t row) const { return Row(*this, row); }
    TCellView View(std::size_t row, std::size_t column) const;

    // A row of cells, one per column; the first row added sets the number of columns.
    void push_back(const std::vector<TCell>& row);
    // A row value by value: BeginRow, then one Add per column, in order.
    void BeginRow(std::size_t columns);
    void AddNull() { NewSlot(); }
    void AddInteger(std::int64_t v) {
        Slot& slot = NewSlot();
        slot.kind = TCell::Kind::Integer;
        slot.value.i = v;
    }
    void AddFloat(double v) {
        Slot& slot = NewSlot();
        slot.kind = TCell::Kind::Float;
        slot.value.d = v;
    }
    void AddDate(double v) {
        Slot& slot = NewSlot();
        slot.kind = TCell::Kind::Date;
        slot.value.d = v;
    }
    void AddText(std::string_view v) { AddChars(TCell::Kind::Text, v); }
    void AddBytes(std::string_view v) { AddChars(TCell::Kind::Bytes, v); }

private:
    struct Slot {
        TCell::Kind kind;
        std::uint32_t length; // of a text
        union {
            std::int64_t i;
            double d;
            const char* text;
        } value;
    };
    // Blocks of kBlockBytes come from and go back to a small process-wide pool: their pages
    // stay mapped from one result to the next instead of being faulted in afresh.
    struct BlockRelease {
        std::size_t size;
        void operator()(std::byte* block) const;
    };
    using Block = std::unique_ptr<std::byte[], BlockRelease>;
    static Block NewBlock(std::size_t size);
    static constexpr std::size_t kBlockBytes = 65536;
    static constexpr std::size_t kSlotsPerBlock = kBlockBytes / sizeof(Slot);
    Slot& NewSlot() {
        const std::size_t at = slotCount_ % kSlotsPerBlock;
        if (at == 0)
            slotBlocks_.push_back(NewBlock(kBlockBytes));
        ++slotCount_;
        return *::new (slotBlocks_.back().get() + at * sizeof(Slot))
            Slot{TCell::Kind::Null, 0, {0}};
    }
    const Slot& SlotAt(std::size_t at) const {
        return *std::launder(reinterpret_cast<const Slot*>(slotBlocks_[at / kSlotsPerBlock].get() +
                                                           at % kSlotsPerBlock * sizeof(Slot)));
    }
    void AddChars(TCell::Kind kind, std::string_view v);
    std::size_t columns_ = 0;
    std::size_t emptyRows_ = 0; // rows of no columns
    std::size_t slotCount_ = 0;
    std::vector<Block> slotBlocks_;
    std::vector<Block> textBlocks_;
    char* textFill_ = nullptr; // where the next short text goes, in the block being filled
    std::size_t textLeft_ = 0; // bytes left there
};

// A whole result: the rows fetched, and the error that ended the fetch early if one did
// (rows before it are delivered; reading past them raises it).
struct TResultSet {
    std::vector<TColumnInfo> columns;
    TRows rows;
    int fetchErrorCode = 0;     // non-zero when the fetch failed after the last row delivered
    std::string fetchErrorText; // text of that error, without the "ORA-nnnnn: " prefix
};

// A bind parameter, named without the colon, in lower case ("fetchtime").
struct TBindValue {
    std::string name;
    TCell value;
};
using TBindList = std::vector<TBindValue>;

class IDriverSession {
public:
    virtual ~IDriverSession() = default;

    // Runs a statement that returns rows and fetches all of them. Raises EOraError;
    // raises EOraCancelled once `cancel` is seen set.
    virtual TResultSet query(const std::string& sql, const TBindList& binds,
                             const std::atomic<bool>& cancel) = 0;
    // Runs a statement without rows or a PL/SQL block; returns the rows affected where known.
    virtual std::int64_t execute(const std::string& sql, const TBindList& binds,
                                 const std::atomic<bool>& cancel) = 0;
    // Interrupts whatever call of this session is running on another thread.
    virtual void breakCall() = 0;
    // The user name the server knows this session by.
    virtual std::string user() const = 0;
};

// The administrative privilege a login asks for ("connect sys as sysdba").
enum class TConnectPrivilege { Normal, SysDba, SysOper };

struct TConnectParams {
    std::string username;
    std::string password;
    std::string server;
    int home = 0; // TOracleHome index: 0 default, 1 to 5 the homes found
    TConnectPrivilege privilege = TConnectPrivilege::Normal;
};

// Connects through the driver that the Server text chooses ("sandbox", "sandbox:PATH",
// "sandbox::memory:" and "sandbox::memory:NAME" the sandbox, anything else the OCI client);
// the environment variable QUENBY_DRIVER ("sandbox" or "oci") overrides the choice.
std::unique_ptr<IDriverSession> connectDriver(const TConnectParams& params);

// True when the Server text names the embedded sandbox instance; Easy Connect texts to a host
// called sandbox ("sandbox:1521/orcl") are not.
bool isSandboxServer(const std::string& server);

} // namespace oradb
