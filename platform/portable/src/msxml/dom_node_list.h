// Live node lists: the descendants of a node that match a qualified name (getElementsByTagName),
// or the children of a node (childNodes). Nothing is collected up front: each call walks the
// tree from where the previous one stopped, so a search that stops at its first match never
// pays for the rest of the document. A change to the tree invalidates what was remembered.
#pragma once

#include "dispatch_object.h"
#include "node_object.h"
#include "node_walk.h"

#include <platform/platform.h>

#include <optional>
#include <string>

namespace msxml {

class DomNodeList final : public DispatchObject<IXMLDOMNodeList, IID_IXMLDOMNodeList> {
public:
    // Descendants of `scope` (not `scope` itself) named `qualifiedName` as written, "*" for all,
    // in document order.
    static HRESULT CreateDescendants(NodeObject& scope, std::string qualifiedName, IXMLDOMNodeList** out);
    // Children of `scope`, in order.
    static HRESULT CreateChildren(NodeObject& scope, IXMLDOMNodeList** out);

    explicit DomNodeList(NodeObject* scope) noexcept : scope_(scope) {}

    // Past the end: S_FALSE and null.
    HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** item) override;
    HRESULT STDMETHODCALLTYPE get_length(LONG* length) override;
    // At the end, and once the node it stands on has left the list: S_FALSE and null.
    HRESULT STDMETHODCALLTYPE nextNode(IXMLDOMNode** next) override;
    HRESULT STDMETHODCALLTYPE reset() override;
    HRESULT STDMETHODCALLTYPE get__newEnum(IUnknown** enumerator) override { return NotOffered(enumerator); }

private:
    // A state of the scope's tree; a load gives the document a new tree, so the tree counts too.
    struct Stamp {
        const XmlTree* tree = nullptr;
        uint64_t version = 0;
        bool operator==(const Stamp&) const = default;
    };

    Stamp Now() const { return {&scope_->tree(), scope_->tree().version()}; }
    xmlNodePtr First() const;
    xmlNodePtr Next(xmlNodePtr after) const;
    bool IsMember(xmlNodePtr node) const;

    Ref<NodeObject> scope_;
    std::optional<QualifiedNameMatcher> matcher_;  // none: the children

    enum class Position { BeforeFirst, On, AtEnd };
    Position position_ = Position::BeforeFirst;
    Ref<NodeObject> current_;
    Stamp currentStamp_;

    Ref<NodeObject> lastItem_;
    LONG lastItemIndex_ = 0;
    Stamp lastItemStamp_;

    LONG length_ = -1;
    Stamp lengthStamp_;
};

}  // namespace msxml
