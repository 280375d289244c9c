#include "monitor/SessionRecords.h"

#include "util/DateTimeText.h"

#include <QString>
#include <algorithm>
#include <limits>
#include <strings.h>
#include <unordered_set>

namespace monitor {

// ---- TBasicFields ----

void TBasicFields::Set(std::size_t field, std::string_view text) {
    const std::size_t begin = field == 0 ? 0 : ends_[field - 1];
    const std::size_t end = ends_[field];
    const std::size_t room =
        std::numeric_limits<std::uint16_t>::max() - (text_.size() - (end - begin));
    if (text.size() > room)
        text = text.substr(0, room);
    text_.replace(begin, end - begin, text);
    const auto grown = static_cast<long>(text.size()) - static_cast<long>(end - begin);
    for (std::size_t i = field; i < ends_.size(); ++i)
        ends_[i] = static_cast<std::uint16_t>(static_cast<long>(ends_[i]) + grown);
}

void TBasicFields::Assign(const std::array<std::string_view, bfCount>& texts) {
    std::size_t size = 0;
    for (const std::string_view text : texts)
        size += text.size();
    std::string joined;
    joined.reserve(std::min<std::size_t>(size, std::numeric_limits<std::uint16_t>::max()));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::size_t room = std::numeric_limits<std::uint16_t>::max() - joined.size();
        joined.append(texts[i].substr(0, std::min(room, texts[i].size())));
        ends_[i] = static_cast<std::uint16_t>(joined.size());
    }
    text_ = std::move(joined);
}

void TBasicFields::Assign(std::string_view joined, const std::array<std::size_t, bfCount>& ends) {
    if (joined.size() > std::numeric_limits<std::uint16_t>::max()) {
        std::array<std::string_view, bfCount> texts;
        for (std::size_t i = 0, begin = 0; i < texts.size(); begin = ends[i++])
            texts[i] = joined.substr(begin, ends[i] - begin);
        Assign(texts);
        return;
    }
    text_.assign(joined);
    for (std::size_t i = 0; i < ends_.size(); ++i)
        ends_[i] = static_cast<std::uint16_t>(ends[i]);
}

TBasicFieldArray TBasicFields::ToArray() const {
    TBasicFieldArray fields;
    for (std::size_t i = 0; i < fields.size(); ++i)
        fields[i] = std::string((*this)[i]);
    return fields;
}

TBasicFields TBasicFields::FromArray(const TBasicFieldArray& fields) {
    std::array<std::string_view, bfCount> texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = fields[i];
    TBasicFields packed;
    packed.Assign(texts);
    return packed;
}

// ---- TRSession ----

TRSession::TRSession(const TRSession& other)
    : basic(other.basic), sortRate(other.sortRate), changed(other.changed), marks(other.marks),
      searchText(other.searchText),
      parts_(other.parts_ ? std::make_unique<TRSessionParts>(*other.parts_) : nullptr) {}

TRSession& TRSession::operator=(const TRSession& other) {
    if (this != &other) {
        TRSession copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TRSessionParts& TRSession::Parts() {
    if (!parts_) {
        parts_ = std::make_unique<TRSessionParts>();
        // Read long before the list: a detail page reads them again.
        const TDateTime stale = util::now() - 10.0;
        parts_->details.fetchTime = parts_->locks.fetchTime = parts_->sql.fetchTime =
            parts_->statistics.fetchTime = parts_->waits.fetchTime = stale;
    }
    return *parts_;
}

const TRSessionParts& TRSession::PartsOrEmpty() const {
    static const TRSessionParts empty;
    return parts_ ? *parts_ : empty;
}

std::string SearchedFieldsText(const TBasicFields& fields) {
    std::string text;
    for (const int field : kSearchedFields) {
        text += fields[static_cast<std::size_t>(field)];
        text += '\n';
    }
    return text;
}

void MarkSessions(std::vector<TRSession>& sessions) {
    std::unordered_set<std::string_view> blockers;
    for (const TRSession& s : sessions)
        if (!s.basic.fields[bfBlockingSession].empty())
            blockers.insert(s.basic.fields[bfBlockingSession]);
    for (TRSession& s : sessions) {
        const TBasicFields& f = s.basic.fields;
        const std::string_view status = f[bfStatus];
        s.marks = static_cast<std::uint8_t>(
            (status == "ACTIVE" ? smActive : 0) | (f[bfType] != "BACKGROUND" ? smUser : 0) |
            (status == "KILLED" ? smKilled : 0) | (!f[bfLockwait].empty() ? smLockWait : 0) |
            (blockers.count(f[bfSid]) != 0 ? smBlocker : 0));
        std::string text = SearchedFieldsText(f);
        // Lower case as the filter's text is; ASCII needs no QString.
        if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) {
            for (char& c : text)
                if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c - 'A' + 'a');
        } else {
            text = QString::fromStdString(text).toLower().toStdString();
        }
        text.shrink_to_fit();
        s.searchText = std::move(text);
    }
}

std::string TNameValueList::Name(int i) const {
    const std::string& line = Line(i);
    return line.substr(0, line.find('='));
}

int TNameValueList::IndexOfName(std::string_view name) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        const auto eq = line.find('=');
        const std::size_t len = eq == std::string::npos ? line.size() : eq;
        if (len == name.size() && strncasecmp(line.data(), name.data(), len) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

std::string TNameValueList::Value(std::string_view name) const {
    const int i = IndexOfName(name);
    if (i < 0)
        return {};
    const std::string& line = lines_[static_cast<std::size_t>(i)];
    const auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

} // namespace monitor
