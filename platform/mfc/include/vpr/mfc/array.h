// Growing arrays: CStringArray, CByteArray and CPtrArray.
//
// An array that must grow by more than it has room for grows by its grow-by
// value, or by default by max(4, min(size / 8, 1024)) elements (or to the
// size needed when that is larger), so that appending one element at a time
// costs few moves.
#pragma once

#include <algorithm>
#include <vector>

#include "vpr/mfc/object.h"
#include "vpr/mfc/string.h"

namespace vpr::mfc {

template <class T, class ArgT>
class TypedArray : public CObject {
public:
    INT_PTR GetSize() const { return static_cast<INT_PTR>(items_.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    BOOL IsEmpty() const { return items_.empty(); }

    void SetSize(INT_PTR newSize, INT_PTR growBy = -1) {
        if (growBy >= 0) growBy_ = growBy;
        Grow(newSize);
        items_.resize(static_cast<size_t>(newSize < 0 ? 0 : newSize));
    }
    void FreeExtra() { items_.shrink_to_fit(); }
    void RemoveAll() { items_.clear(); }

    const T& GetAt(INT_PTR index) const { return items_.at(static_cast<size_t>(index)); }
    T& GetAt(INT_PTR index) { return items_.at(static_cast<size_t>(index)); }
    void SetAt(INT_PTR index, ArgT element) { items_.at(static_cast<size_t>(index)) = element; }
    T& ElementAt(INT_PTR index) { return GetAt(index); }
    const T& operator[](INT_PTR index) const { return GetAt(index); }
    T& operator[](INT_PTR index) { return GetAt(index); }
    T* GetData() { return items_.data(); }
    const T* GetData() const { return items_.data(); }

    void SetAtGrow(INT_PTR index, ArgT element) {
        if (index >= GetSize()) SetSize(index + 1);
        SetAt(index, element);
    }
    INT_PTR Add(ArgT element) {
        Grow(GetSize() + 1);
        items_.push_back(T(element));
        return GetUpperBound();
    }
    INT_PTR Append(const TypedArray& other) {
        INT_PTR first = GetSize();
        Grow(first + other.GetSize());
        items_.insert(items_.end(), other.items_.begin(), other.items_.end());
        return first;
    }
    void Copy(const TypedArray& other) {
        if (&other != this) items_ = other.items_;
    }
    void InsertAt(INT_PTR index, ArgT element, INT_PTR count = 1) {
        if (count <= 0) return;
        if (index >= GetSize()) SetSize(index);
        Grow(GetSize() + count);
        items_.insert(items_.begin() + index, static_cast<size_t>(count), T(element));
    }
    void RemoveAt(INT_PTR index, INT_PTR count = 1) {
        items_.erase(items_.begin() + index, items_.begin() + index + count);
    }

private:
    void Grow(INT_PTR needed) {
        size_t wanted = static_cast<size_t>(needed < 0 ? 0 : needed);
        if (wanted <= items_.capacity()) return;
        size_t step = growBy_ > 0 ? static_cast<size_t>(growBy_) : std::max<size_t>(4, std::min<size_t>(items_.size() / 8, 1024));
        items_.reserve(std::max(wanted, items_.size() + step));
    }

    std::vector<T> items_;
    INT_PTR growBy_ = -1;
};

}  // namespace vpr::mfc

class CStringArray : public vpr::mfc::TypedArray<CString, LPCSTR> {
    DECLARE_DYNAMIC(CStringArray)
};

class CByteArray : public vpr::mfc::TypedArray<BYTE, BYTE> {
    DECLARE_DYNAMIC(CByteArray)
};

class CPtrArray : public vpr::mfc::TypedArray<void*, void*> {
    DECLARE_DYNAMIC(CPtrArray)
};
