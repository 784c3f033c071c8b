#include "script/Value.h"

#include <algorithm>
#include <utility>

#include "script/Coerce.h"
#include "script/ScriptError.h"

namespace vbs {

Value Value::Null() {
    Value v;
    v.type_ = VarType::Null;
    return v;
}

Value Value::Boolean(bool b) {
    Value v;
    v.type_ = VarType::Boolean;
    v.i_ = b ? -1 : 0;
    return v;
}

Value Value::Integer(std::int32_t i) {
    Value v;
    v.type_ = VarType::Integer;
    v.i_ = i;
    return v;
}

Value Value::Byte(std::uint8_t b) {
    Value v;
    v.type_ = VarType::Byte;
    v.i_ = b;
    return v;
}

Value Value::Long(std::int32_t i) {
    Value v;
    v.type_ = VarType::Long;
    v.i_ = i;
    return v;
}

Value Value::Single(float f) {
    Value v;
    v.type_ = VarType::Single;
    v.f_ = f;
    return v;
}

namespace {

// A text with its charge to the memory budget of the run that made it.
struct TextData {
    explicit TextData(std::string s) : charge(s.capacity()), text(std::move(s)) {}
    Charge charge;
    std::string text;
};

TextData& TextOf(const std::shared_ptr<void>& heap) {
    return *static_cast<TextData*>(heap.get());
}

}  // namespace

Value Value::String(std::string s) {
    CheckStringLength(s.size());
    Value v;
    v.type_ = VarType::String;
    v.heap_ = std::make_shared<TextData>(std::move(s));
    return v;
}

Value Value::Nothing() {
    Value v;
    v.type_ = VarType::Object;
    return v;
}

Value Value::Missing() {
    Value v;
    v.type_ = VarType::Error;
    return v;
}

Value Value::Array(std::shared_ptr<ArrayData> a) {
    Value v;
    v.type_ = VarType::Array;
    v.heap_ = std::move(a);
    return v;
}

Value Value::FromInteger(std::int64_t i) {
    if (i >= -32768 && i <= 32767) return Integer(static_cast<std::int32_t>(i));
    if (i >= -2147483648LL && i <= 2147483647LL) return Long(static_cast<std::int32_t>(i));
    return Double(static_cast<double>(i));
}

const std::string& Value::AsString() const {
    return TextOf(heap_).text;
}

const ArrayData& Value::AsArray() const {
    return *static_cast<const ArrayData*>(heap_.get());
}

ArrayData& Value::MutableArray() {
    if (heap_.use_count() > 1) heap_ = std::make_shared<ArrayData>(AsArray());
    return *static_cast<ArrayData*>(heap_.get());
}

void Value::AppendText(std::string_view tail) {
    CheckStringLength(AsString().size() + tail.size());
    if (heap_.use_count() == 1) {
        TextData& t = TextOf(heap_);
        const std::size_t needed = t.text.size() + tail.size();
        if (needed > t.text.capacity()) {
            // Grown as the library would grow it, charged before the memory is taken.
            const std::size_t capacity = std::max(needed, 2 * t.text.capacity());
            t.charge.Resize(capacity);
            t.text.reserve(capacity);
        }
        t.text.append(tail);
        return;
    }
    std::string joined;
    joined.reserve(AsString().size() + tail.size());
    joined += AsString();
    joined += tail;
    heap_ = std::make_shared<TextData>(std::move(joined));
}

bool Value::IsNumeric() const {
    switch (type_) {
        case VarType::Empty:
        case VarType::Integer:
        case VarType::Byte:
        case VarType::Long:
        case VarType::Single:
        case VarType::Double:
        case VarType::Boolean:
            return true;
        case VarType::String: {
            double d = 0;
            return ParseNumberText(AsString(), d) == NumberParse::Ok;
        }
        default:
            return false;
    }
}

double Value::OtherToDouble() const {
    return NumberOf(*this);
}

std::string Value::ToString() const {
    switch (type_) {
        case VarType::Empty:
            return {};
        case VarType::Null:
            Raise(err::kInvalidNull);
        case VarType::Boolean:
            return i_ ? "True" : "False";
        case VarType::Integer:
        case VarType::Byte:
        case VarType::Long:
            return std::to_string(i_);
        case VarType::Single:
            return FormatFloat(f_, 7);
        case VarType::Double:
            return FormatFloat(d_, 15);
        case VarType::String:
            return AsString();
        default:
            Raise(err::kTypeMismatch);
    }
}

std::string Value::ToConcatString() const {
    if (type_ == VarType::Null) return {};
    return ToString();
}

bool Value::ToBool() const {
    switch (type_) {
        case VarType::Empty:
        case VarType::Null:
            return false;
        case VarType::Boolean:
        case VarType::Integer:
        case VarType::Byte:
        case VarType::Long:
            return i_ != 0;
        case VarType::Single:
            return f_ != 0.0f;
        case VarType::Double:
            return d_ != 0.0;
        case VarType::String: {
            const std::string& s = AsString();
            auto equalsNoCase = [&s](const char* word) {
                std::size_t i = 0;
                for (; word[i] != 0; ++i) {
                    if (i >= s.size() || (s[i] | 0x20) != word[i]) return false;
                }
                return i == s.size();
            };
            if (equalsNoCase("true") || equalsNoCase("#true#")) return true;
            if (equalsNoCase("false") || equalsNoCase("#false#")) return false;
            double d = 0;
            if (ParseNumberText(s, d) != NumberParse::Ok) Raise(err::kTypeMismatch);
            return d != 0.0;
        }
        default:
            Raise(err::kTypeMismatch);
    }
}

const char* Value::TypeName() const {
    switch (type_) {
        case VarType::Empty:
            return "Empty";
        case VarType::Null:
            return "Null";
        case VarType::Integer:
            return "Integer";
        case VarType::Byte:
            return "Byte";
        case VarType::Long:
            return "Long";
        case VarType::Single:
            return "Single";
        case VarType::Double:
            return "Double";
        case VarType::String:
            return "String";
        case VarType::Object:
            return "Nothing";
        case VarType::Boolean:
            return "Boolean";
        case VarType::Array:
            return "Variant()";
        case VarType::Error:
            return "Error";
    }
    return "Unknown";
}

void CheckStringLength(std::size_t length) {
    if (length > kMaxStringLength) Raise(err::kOutOfStringSpace);
}

// ---------------------------------------------------------------------------------------------

std::shared_ptr<void> Value::TakeUniqueArray() {
    if (type_ != VarType::Array || heap_.use_count() != 1) return nullptr;
    type_ = VarType::Empty;
    i_ = 0;
    return std::move(heap_);
}

ArrayData::~ArrayData() {
    std::vector<std::shared_ptr<void>> pending;
    for (Value& v : items_)
        if (std::shared_ptr<void> a = v.TakeUniqueArray()) pending.push_back(std::move(a));
    while (!pending.empty()) {
        std::shared_ptr<void> next = std::move(pending.back());
        pending.pop_back();
        for (Value& v : static_cast<ArrayData*>(next.get())->items_)
            if (std::shared_ptr<void> a = v.TakeUniqueArray()) pending.push_back(std::move(a));
        // `next` now holds no array of its own and is freed without going deeper.
    }
}

std::uint32_t ArrayData::NestingWith(const Value& element) {
    if (!element.IsArray()) return 1;
    const std::uint32_t n = element.AsArray().nesting_ + 1;
    if (n > kMaxNesting)
        Raise(err::kOutOfMemory, std::string(ErrorText(err::kOutOfMemory)) +
                                     ": arrays nested more than " + std::to_string(kMaxNesting) +
                                     " levels deep");
    return n;
}

void ArrayData::Set(std::size_t offset, Value value) {
    nesting_ = std::max(nesting_, NestingWith(value));
    items_[offset] = std::move(value);
}

std::size_t ArrayData::CheckedCount(const std::vector<std::int32_t>& upperBounds) {
    if (upperBounds.size() > static_cast<std::size_t>(kMaxDimensions)) Raise(err::kSubscript);
    std::size_t count = 1;
    for (const std::int32_t u : upperBounds) {
        if (u < -1) Raise(err::kSubscript);
        const std::size_t n = static_cast<std::size_t>(u) + 1;
        if (n != 0 && count > kMaxArrayElements / n) Raise(err::kOutOfMemory);
        count *= n;
    }
    if (count > kMaxArrayElements) Raise(err::kOutOfMemory);
    return count;
}

ArrayData::ArrayData(std::vector<std::int32_t> upperBounds, bool fixed) : fixed_(fixed) {
    const std::size_t count = upperBounds.empty() ? 0 : CheckedCount(upperBounds);
    charge_.Resize(count * sizeof(Value));
    upper_ = std::move(upperBounds);
    items_.resize(count);  // "Dim a()" holds no element until ReDim
}

std::size_t ArrayData::Offset(const std::int32_t* indices, int count) const {
    if (count != Dimensions()) Raise(err::kSubscript);
    std::size_t offset = 0;
    std::size_t stride = 1;
    for (int d = 0; d < count; ++d) {
        if (indices[d] < 0 || indices[d] > upper_[d]) Raise(err::kSubscript);
        offset += static_cast<std::size_t>(indices[d]) * stride;
        stride *= static_cast<std::size_t>(upper_[d]) + 1;
    }
    return offset;
}

void ArrayData::Redimension(std::vector<std::int32_t> upperBounds, bool preserve) {
    if (fixed_) Raise(err::kArrayFixed);
    const std::size_t count = CheckedCount(upperBounds);
    if (!preserve || !Allocated()) {
        charge_.Resize(std::max(count, items_.capacity()) * sizeof(Value));
        upper_ = std::move(upperBounds);
        items_.assign(count, Value());
        return;
    }
    if (upperBounds.size() != upper_.size()) Raise(err::kSubscript);
    for (std::size_t d = 0; d + 1 < upper_.size(); ++d) {
        if (upperBounds[d] != upper_[d]) Raise(err::kSubscript);
    }
    // First index varies fastest, so the last dimension is the outermost: resizing keeps the
    // leading elements in place.
    charge_.Resize(std::max(count, items_.capacity()) * sizeof(Value));
    items_.resize(count);
    upper_ = std::move(upperBounds);
}

void ArrayData::Erase() {
    if (fixed_) {
        for (Value& v : items_) v = Value();
        return;
    }
    upper_.clear();
    items_ = {};
    charge_.Resize(0);
}

std::shared_ptr<ArrayData> ArrayData::FromList(std::vector<Value> items) {
    if (items.size() > kMaxArrayElements) Raise(err::kOutOfMemory);
    auto a = std::make_shared<ArrayData>();
    for (const Value& v : items) a->nesting_ = std::max(a->nesting_, NestingWith(v));
    a->charge_.Resize(items.capacity() * sizeof(Value));
    a->upper_ = {static_cast<std::int32_t>(items.size()) - 1};
    a->items_ = std::move(items);
    return a;
}

}  // namespace vbs
