#pragma once
// The Variant: the one value type of the script language. A closed set of subtypes with named
// predicates and accessors. Numbers live inline; text and arrays are shared, immutable text and
// copy-on-write arrays, so copying a Value is cheap and assigning an array copies it in effect.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "script/MemoryBudget.h"

namespace vbs {

// The subtype numbers are the language's VarType codes.
enum class VarType : std::uint16_t {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Single = 4,
    Double = 5,
    String = 8,
    Object = 9,
    Error = 10,  // only as the marker of an omitted argument
    Boolean = 11,
    Byte = 17,
    Array = 8204,  // array of Variant
};

class ArrayData;

class Value {
  public:
    Value() : i_(0) {}  // Empty

    static Value Null();
    static Value Boolean(bool b);
    static Value Integer(std::int32_t i);  // caller guarantees the 16-bit range
    static Value Long(std::int32_t i);
    static Value Byte(std::uint8_t b);
    static Value Single(float f);
    static Value Double(double d) {
        Value v;
        v.type_ = VarType::Double;
        v.d_ = d;
        return v;
    }
    static Value String(std::string s);
    static Value Nothing();
    static Value Missing();  // an omitted optional argument
    static Value Array(std::shared_ptr<ArrayData> a);
    // The narrowest of Integer, Long, Double that holds an integral amount exactly.
    static Value FromInteger(std::int64_t i);

    VarType Type() const { return type_; }
    bool IsEmpty() const { return type_ == VarType::Empty; }
    bool IsNull() const { return type_ == VarType::Null; }
    bool IsString() const { return type_ == VarType::String; }
    bool IsArray() const { return type_ == VarType::Array; }
    bool IsObject() const { return type_ == VarType::Object; }
    bool IsMissing() const { return type_ == VarType::Error; }
    bool IsBoolean() const { return type_ == VarType::Boolean; }
    bool IsDouble() const { return type_ == VarType::Double; }
    // Integer, Long, Byte or Boolean: held as a 32-bit integer.
    bool IsIntegral() const {
        return type_ == VarType::Integer || type_ == VarType::Long || type_ == VarType::Boolean ||
               type_ == VarType::Byte;
    }
    // A number subtype (Boolean counts, as in arithmetic).
    bool IsNumber() const {
        return IsIntegral() || type_ == VarType::Single || type_ == VarType::Double;
    }
    // What the IsNumeric built-in answers: numbers, Empty, and text that reads as a number.
    bool IsNumeric() const;

    std::int32_t AsInt() const { return i_; }  // Integer, Long, Byte, Boolean
    float AsSingle() const { return f_; }      // Single
    double AsDoubleRaw() const { return d_; }  // Double
    bool AsBool() const { return i_ != 0; }    // Boolean
    const std::string& AsString() const;       // String
    const ArrayData& AsArray() const;          // Array
    // The array for writing: unshares it first, so other copies keep their contents.
    ArrayData& MutableArray();
    // Whether two values hold the same text object (not merely equal texts).
    bool SharesTextWith(const Value& other) const {
        return IsString() && other.IsString() && heap_ == other.heap_;
    }
    // Appends to a String: in place when this value holds the only reference to its text,
    // otherwise into a new text, so other copies keep theirs. Raises 14 past the size limit.
    void AppendText(std::string_view tail);

    // Conversions with the rules of CDbl, CStr and CBool; they raise ScriptError on failure
    // (13 Type mismatch, 94 Invalid use of Null).
    double ToDouble() const { return type_ == VarType::Double ? d_ : OtherToDouble(); }
    std::string ToString() const;
    bool ToBool() const;
    // The text form used by '&': like ToString, but Null reads as "".
    std::string ToConcatString() const;

    const char* TypeName() const;

  private:
    friend class ArrayData;
    double OtherToDouble() const;
    // The array this value alone holds, taken out (the value becomes Empty); null otherwise.
    std::shared_ptr<void> TakeUniqueArray();

    VarType type_ = VarType::Empty;
    union {
        std::int32_t i_;
        float f_;
        double d_;
    };
    std::shared_ptr<void> heap_;  // TextData (in Value.cpp) for String, ArrayData for Array
};

// A Variant array: zero-based, up to kMaxDimensions dimensions, first index varying fastest in
// memory. An array with no dimensions is an unallocated dynamic array ("Dim a()").
class ArrayData {
  public:
    static constexpr int kMaxDimensions = 60;
    // Deepest chain of arrays held in elements of arrays ("a(0) = b" where b holds arrays).
    static constexpr std::uint32_t kMaxNesting = 10000;

    ArrayData() = default;
    ArrayData(const ArrayData&) = default;
    ArrayData& operator=(const ArrayData&) = default;
    // Frees nested arrays one after another, not one level of recursion per level of nesting.
    ~ArrayData();
    // Upper bounds per dimension (-1 allowed for an empty dimension). Raises on size limits.
    explicit ArrayData(std::vector<std::int32_t> upperBounds, bool fixed = false);

    int Dimensions() const { return static_cast<int>(upper_.size()); }
    std::int32_t UpperBound(int dimension) const { return upper_[dimension]; }
    bool Fixed() const { return fixed_; }
    bool Allocated() const { return !upper_.empty(); }
    std::size_t Size() const { return items_.size(); }

    // Flat index of a subscript list; raises 9 when out of range or of the wrong count.
    std::size_t Offset(const std::int32_t* indices, int count) const;
    // Element writes that may store an array go through Set, which bounds the nesting.
    void Set(std::size_t offset, Value value);
    Value& At(std::size_t offset) { return items_[offset]; }
    const Value& At(std::size_t offset) const { return items_[offset]; }
    const std::vector<Value>& Items() const { return items_; }

    // ReDim: new bounds; with `preserve` only the last dimension may change and elements keep
    // their values. Raises 10 on a fixed array, 9 on a disallowed change.
    void Redimension(std::vector<std::int32_t> upperBounds, bool preserve);
    // Erase: a fixed array is reset to Empty elements, a dynamic one released.
    void Erase();

    static std::shared_ptr<ArrayData> FromList(std::vector<Value> items);

  private:
    static std::size_t CheckedCount(const std::vector<std::int32_t>& upperBounds);
    std::vector<std::int32_t> upper_;
    static std::uint32_t NestingWith(const Value& element);
    std::vector<Value> items_;
    bool fixed_ = false;
    std::uint32_t nesting_ = 1;  // an upper bound: levels of arrays, this one included
    Charge charge_;              // the element slots, charged to the run's memory budget
};

// Safety limits: every one has a name and raises an error rather than exhausting memory.
inline constexpr std::size_t kMaxStringLength = 64u * 1024u * 1024u;  // bytes
inline constexpr std::size_t kMaxArrayElements = 4u * 1024u * 1024u;

// Raises 14 "Out of string space" when a text would exceed kMaxStringLength.
void CheckStringLength(std::size_t length);

}  // namespace vbs
