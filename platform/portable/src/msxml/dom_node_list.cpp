#include "dom_node_list.h"

#include <new>
#include <utility>

namespace msxml {

HRESULT DomNodeList::CreateDescendants(NodeObject& scope, std::string qualifiedName, IXMLDOMNodeList** out) {
    *out = nullptr;
    DomNodeList* list = NewObject<DomNodeList>(&scope);
    if (list == nullptr) return E_OUTOFMEMORY;
    try {
        list->matcher_.emplace(std::move(qualifiedName));
    } catch (const std::bad_alloc&) {
        list->Release();
        return E_OUTOFMEMORY;
    }
    *out = list;
    return S_OK;
}

HRESULT DomNodeList::CreateChildren(NodeObject& scope, IXMLDOMNodeList** out) {
    *out = NewObject<DomNodeList>(&scope);
    return *out ? S_OK : E_OUTOFMEMORY;
}

xmlNodePtr DomNodeList::First() const {
    xmlNodePtr scope = scope_->node();
    if (!matcher_) return HasWalkableChildren(scope) ? scope->children : nullptr;
    return Next(scope);
}

xmlNodePtr DomNodeList::Next(xmlNodePtr after) const {
    if (!matcher_) return after->next;
    xmlNodePtr scope = scope_->node();
    xmlNodePtr n = after;
    do {
        n = NextInSubtree(n, scope);
    } while (n && !matcher_->MatchesElement(n));
    return n;
}

bool DomNodeList::IsMember(xmlNodePtr node) const {
    xmlNodePtr scope = scope_->node();
    if (!matcher_) return node->parent == scope && node->type != XML_ATTRIBUTE_NODE;
    return node != scope && matcher_->MatchesElement(node) && IsInclusiveAncestor(scope, node);
}

HRESULT DomNodeList::get_item(LONG index, IXMLDOMNode** item) {
    if (item == nullptr) return E_INVALIDARG;
    *item = nullptr;
    if (index < 0) return S_FALSE;
    const Stamp now = Now();
    xmlNodePtr n = nullptr;
    LONG at = 0;
    if (lastItem_ && lastItemStamp_ == now && lastItemIndex_ <= index) {
        n = lastItem_->node();
        at = lastItemIndex_;
    } else {
        n = First();
    }
    for (; n && at < index; ++at) n = Next(n);
    if (n == nullptr) return S_FALSE;
    Ref<NodeObject> object;
    const HRESULT hr = ObjectForNode(*scope_, n, object.put());
    if (FAILED(hr)) return hr;
    lastItem_ = std::move(object);
    lastItemIndex_ = index;
    lastItemStamp_ = now;
    return HandOut(lastItem_, IID_IXMLDOMNode, reinterpret_cast<void**>(item));
}

HRESULT DomNodeList::get_length(LONG* length) {
    if (length == nullptr) return E_INVALIDARG;
    const Stamp now = Now();
    if (length_ < 0 || lengthStamp_ != now) {
        LONG count = 0;
        for (xmlNodePtr n = First(); n; n = Next(n)) ++count;
        length_ = count;
        lengthStamp_ = now;
    }
    *length = length_;
    return S_OK;
}

HRESULT DomNodeList::nextNode(IXMLDOMNode** next) {
    if (next == nullptr) return E_INVALIDARG;
    *next = nullptr;
    const Stamp now = Now();
    xmlNodePtr n = nullptr;
    switch (position_) {
    case Position::AtEnd:
        return S_FALSE;
    case Position::BeforeFirst:
        n = First();
        break;
    case Position::On:
        if (currentStamp_ != now &&
            (&current_->tree() != &scope_->tree() || !IsMember(current_->node()))) {
            position_ = Position::AtEnd;
            current_.reset();
            return S_FALSE;
        }
        n = Next(current_->node());
        break;
    }
    if (n == nullptr) {
        position_ = Position::AtEnd;
        current_.reset();
        return S_FALSE;
    }
    Ref<NodeObject> object;
    const HRESULT hr = ObjectForNode(*scope_, n, object.put());
    if (FAILED(hr)) return hr;
    current_ = std::move(object);
    currentStamp_ = now;
    position_ = Position::On;
    return HandOut(current_, IID_IXMLDOMNode, reinterpret_cast<void**>(next));
}

HRESULT DomNodeList::reset() {
    position_ = Position::BeforeFirst;
    current_.reset();
    return S_OK;
}

}  // namespace msxml
