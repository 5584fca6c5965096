// The stand-in's two creatable classes, as CoCreateInstance reaches them.
#include "../runtime_internal.h"
#include "dom_document.h"
#include "namespace_manager.h"

HRESULT MsxmlCreateDocument(REFIID riid, void** ppv) { return msxml::DomDocument::Create(riid, ppv); }

HRESULT MsxmlCreateNamespaceManager(REFIID riid, void** ppv) {
    msxml::EnsureLibxmlInitialized();
    return msxml::NamespaceManager::Create(riid, ppv);
}
