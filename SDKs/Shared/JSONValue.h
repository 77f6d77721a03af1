#pragma once
// One node of a JSON document tree over wide strings (one wchar_t per code point).
// A node owns the children of its array and object and deletes them with itself.
#include <cstddef>
#include <map>
#include <string>
#include <vector>

class JSONValue;

using JSONArray = std::vector<JSONValue*>;
using JSONObject = std::map<std::wstring, JSONValue*>;

enum JSONType : int {
    JSONType_Null = 0,
    JSONType_String = 1,
    JSONType_Bool = 2,
    JSONType_Number = 3,
    JSONType_Array = 4,
    JSONType_Object = 5,
};

class JSONValue {
  public:
    JSONValue();
    JSONValue(const wchar_t* text);
    JSONValue(const std::wstring& text);
    JSONValue(const char*) = delete; // would otherwise silently become a bool
    JSONValue(bool value);
    JSONValue(double value);
    // The node takes over the pointers: the caller must not delete them afterwards.
    JSONValue(JSONArray elements);
    JSONValue(JSONObject members);

    // Copies are deep, so a copy never shares (and never double-deletes) children.
    JSONValue(const JSONValue& other);
    JSONValue& operator=(const JSONValue& other);
    JSONValue(JSONValue&& other) noexcept;
    JSONValue& operator=(JSONValue&& other) noexcept;
    ~JSONValue();

    JSONType Type() const { return type_; }
    bool IsNull() const { return type_ == JSONType_Null; }
    bool IsString() const { return type_ == JSONType_String; }
    bool IsBool() const { return type_ == JSONType_Bool; }
    bool IsNumber() const { return type_ == JSONType_Number; }
    bool IsArray() const { return type_ == JSONType_Array; }
    bool IsObject() const { return type_ == JSONType_Object; }

    // These do not check the type: a node of another type yields its empty or zero field.
    const std::wstring& AsString() const { return string_; }
    bool AsBool() const { return bool_; }
    double AsNumber() const { return number_; }
    const JSONArray& AsArray() const { return array_; }
    const JSONObject& AsObject() const { return object_; }
    // Whoever replaces or removes a pointer through these must delete the old node.
    JSONArray& AsMutableArray() { return array_; }
    JSONObject& AsMutableObject() { return object_; }

    std::size_t CountChildren() const;
    bool HasChild(std::size_t index) const;
    JSONValue* Child(std::size_t index);
    const JSONValue* Child(std::size_t index) const;
    bool HasChild(const wchar_t* name) const;
    JSONValue* Child(const wchar_t* name);
    const JSONValue* Child(const wchar_t* name) const;

    // Ownership-safe edits. Both return the stored child, or null when this node is not
    // an object (SetMember) or not an array (Append); `child` is then simply dropped.
    JSONValue* SetMember(const std::wstring& name, JSONValue child);
    JSONValue* Append(JSONValue child);

    // The text of the node; members and closing bracket of a container are indented by
    // indentSize × depth blanks.
    std::wstring Stringify(int indentSize, int depth) const;

    // Parses one value at *cursor (NUL-terminated text) and moves the cursor past it.
    // Returns a new node the caller owns, or null on error (nothing is left allocated).
    static JSONValue* Parse(const wchar_t** cursor);
    static std::wstring StringifyString(const std::wstring& text);
    static void AddIndent(std::wstring& out, int indentSize, int depth);

  private:
    void StringifyInto(std::wstring& out, int indentSize, int depth) const;
    static JSONValue* Parse(const wchar_t** cursor, int depth);
    static JSONValue* ParseNumber(const wchar_t** cursor);
    static JSONValue* ParseArray(const wchar_t** cursor, int depth);
    static JSONValue* ParseObject(const wchar_t** cursor, int depth);
    void copyFrom(const JSONValue& other);
    void release();

    JSONType type_;
    std::wstring string_;
    bool bool_ = false;
    double number_ = 0;
    JSONArray array_;
    JSONObject object_;
};
