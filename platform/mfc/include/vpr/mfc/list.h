// Lists with positions: CObList, CPtrList and CStringList.
//
// A POSITION names one node; it stays valid until that node is removed, so
// callers may walk a list with GetNext while they remove the node they just
// passed. The block size of the constructor is kept for callers that ask;
// nodes are allocated one by one.
#pragma once

#include "vpr/mfc/object.h"
#include "vpr/mfc/string.h"

struct __POSITION {};
typedef __POSITION* POSITION;

namespace vpr::mfc {

template <class T, class ArgT>
class TypedList : public CObject {
public:
    explicit TypedList(int nBlockSize = 10) : blockSize_(nBlockSize) {}
    ~TypedList() override { RemoveAll(); }

    INT_PTR GetCount() const { return count_; }
    INT_PTR GetSize() const { return count_; }
    BOOL IsEmpty() const { return count_ == 0; }
    int GetBlockSize() const { return blockSize_; }

    T& GetHead() { return head_->data; }
    const T& GetHead() const { return head_->data; }
    T& GetTail() { return tail_->data; }
    const T& GetTail() const { return tail_->data; }

    POSITION AddHead(ArgT element) { return InsertBefore(Position(head_), element); }
    POSITION AddTail(ArgT element) { return InsertAfter(Position(tail_), element); }
    void AddHead(TypedList* list) {
        for (POSITION p = list->GetTailPosition(); p;) AddHead(list->GetPrev(p));
    }
    void AddTail(TypedList* list) {
        for (POSITION p = list->GetHeadPosition(); p;) AddTail(list->GetNext(p));
    }

    T RemoveHead() {
        T data = head_->data;
        RemoveAt(Position(head_));
        return data;
    }
    T RemoveTail() {
        T data = tail_->data;
        RemoveAt(Position(tail_));
        return data;
    }
    void RemoveAll() {
        while (head_) {
            Node* next = head_->next;
            delete head_;
            head_ = next;
        }
        tail_ = nullptr;
        count_ = 0;
    }

    POSITION GetHeadPosition() const { return Position(head_); }
    POSITION GetTailPosition() const { return Position(tail_); }
    T& GetNext(POSITION& pos) {
        Node* node = NodeOf(pos);
        pos = Position(node->next);
        return node->data;
    }
    const T& GetNext(POSITION& pos) const {
        Node* node = NodeOf(pos);
        pos = Position(node->next);
        return node->data;
    }
    T& GetPrev(POSITION& pos) {
        Node* node = NodeOf(pos);
        pos = Position(node->prev);
        return node->data;
    }
    const T& GetPrev(POSITION& pos) const {
        Node* node = NodeOf(pos);
        pos = Position(node->prev);
        return node->data;
    }
    T& GetAt(POSITION pos) { return NodeOf(pos)->data; }
    const T& GetAt(POSITION pos) const { return NodeOf(pos)->data; }
    void SetAt(POSITION pos, ArgT element) { NodeOf(pos)->data = element; }

    void RemoveAt(POSITION pos) {
        Node* node = NodeOf(pos);
        (node->prev ? node->prev->next : head_) = node->next;
        (node->next ? node->next->prev : tail_) = node->prev;
        delete node;
        --count_;
    }

    // Inserting before a null position inserts at the head, after a null
    // position at the tail (what AddHead and AddTail of an empty list need).
    POSITION InsertBefore(POSITION pos, ArgT element) {
        Node* next = pos ? NodeOf(pos) : head_;
        Node* node = new Node{element, next ? next->prev : nullptr, next};
        Link(node);
        return Position(node);
    }
    POSITION InsertAfter(POSITION pos, ArgT element) {
        Node* prev = pos ? NodeOf(pos) : tail_;
        Node* node = new Node{element, prev, prev ? prev->next : nullptr};
        Link(node);
        return Position(node);
    }

    // The first node at or after `startAfter`'s successor holding `value`.
    POSITION Find(ArgT value, POSITION startAfter = nullptr) const {
        Node* node = startAfter ? NodeOf(startAfter)->next : head_;
        for (; node; node = node->next)
            if (node->data == value) return Position(node);
        return nullptr;
    }
    POSITION FindIndex(INT_PTR index) const {
        if (index < 0 || index >= count_) return nullptr;
        Node* node = head_;
        while (index-- > 0) node = node->next;
        return Position(node);
    }

private:
    struct Node : __POSITION {
        Node(ArgT d, Node* p, Node* n) : data(d), prev(p), next(n) {}
        T data;
        Node* prev;
        Node* next;
    };
    static POSITION Position(Node* node) { return node; }
    static Node* NodeOf(POSITION pos) { return static_cast<Node*>(pos); }
    void Link(Node* node) {
        (node->prev ? node->prev->next : head_) = node;
        (node->next ? node->next->prev : tail_) = node;
        ++count_;
    }

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    INT_PTR count_ = 0;
    int blockSize_;
};

}  // namespace vpr::mfc

// Lists of object pointers; the list never deletes the objects.
class CObList : public vpr::mfc::TypedList<CObject*, CObject*> {
    DECLARE_DYNAMIC(CObList)
public:
    explicit CObList(int nBlockSize = 10) : TypedList(nBlockSize) {}
};

class CPtrList : public vpr::mfc::TypedList<void*, void*> {
    DECLARE_DYNAMIC(CPtrList)
public:
    explicit CPtrList(int nBlockSize = 10) : TypedList(nBlockSize) {}
};

class CStringList : public vpr::mfc::TypedList<CString, LPCSTR> {
    DECLARE_DYNAMIC(CStringList)
public:
    explicit CStringList(int nBlockSize = 10) : TypedList(nBlockSize) {}
};
