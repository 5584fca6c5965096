#include "xml_serializer.h"

#include "boundary_strings.h"
#include "namespace_reconciler.h"

#include <libxml/encoding.h>
#include <libxml/xmlsave.h>

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace msxml {
namespace {

std::string Declaration(xmlDocPtr doc) {
    std::string text = "<?xml version=\"";
    text += doc->version ? Chars(doc->version) : "1.0";
    text += '"';
    if (doc->standalone == 1) text += " standalone=\"yes\"";
    if (doc->standalone == 0) text += " standalone=\"no\"";
    text += "?>\n";
    return text;
}

// Declarations the subtree needs from outside, put on `element` for the time of one write.
class BorrowedDeclarations {
public:
    using Needed = std::vector<std::pair<const xmlChar*, const xmlChar*>>;

    BorrowedDeclarations(xmlNodePtr element, const Needed& needed) noexcept : element_(element) {
        for (const auto& [prefix, href] : needed) {
            xmlNsPtr ns = xmlNewNs(nullptr, href, prefix);
            if (ns == nullptr) {
                complete_ = false;
                break;
            }
            ns->next = borrowed_;
            borrowed_ = ns;
        }
        if (borrowed_ == nullptr) return;
        last_ = borrowed_;
        while (last_->next) last_ = last_->next;
        last_->next = element->nsDef;
        element->nsDef = borrowed_;
    }
    ~BorrowedDeclarations() {
        if (borrowed_ == nullptr) return;
        element_->nsDef = last_->next;
        last_->next = nullptr;
        xmlFreeNsList(borrowed_);
    }
    BorrowedDeclarations(const BorrowedDeclarations&) = delete;
    BorrowedDeclarations& operator=(const BorrowedDeclarations&) = delete;

    bool complete() const { return complete_; }

private:
    xmlNodePtr element_;
    xmlNsPtr borrowed_ = nullptr;
    xmlNsPtr last_ = nullptr;
    bool complete_ = true;
};

// Namespace names written as attribute values can be written. A namespace name need not be a URI
// (MSXML takes any text), but libxml2 writes a declaration's value as it stands, so a name holding
// '<' or '&' would make the output ill-formed, and a line break or tab would come back as a
// space. For the time of one write, such a name is replaced by its escaped form.
class EscapedNamespaceNames {
public:
    explicit EscapedNamespaceNames(xmlNodePtr root) noexcept {
        for (xmlNodePtr n = root; n != nullptr && complete_; n = Next(n, root)) {
            if (n->type != XML_ELEMENT_NODE) continue;
            for (xmlNsPtr ns = n->nsDef; ns != nullptr && complete_; ns = ns->next) Escape(ns);
        }
    }
    ~EscapedNamespaceNames() {
        for (const auto& [ns, original] : replaced_) {
            xmlFree(const_cast<xmlChar*>(ns->href));
            ns->href = original;
        }
    }
    EscapedNamespaceNames(const EscapedNamespaceNames&) = delete;
    EscapedNamespaceNames& operator=(const EscapedNamespaceNames&) = delete;

    bool complete() const { return complete_; }

private:
    static xmlNodePtr Next(xmlNodePtr n, xmlNodePtr root) {
        if (n->children != nullptr && (n->type == XML_ELEMENT_NODE || n->type == XML_DOCUMENT_NODE)) {
            return n->children;
        }
        while (n != root && n->next == nullptr) n = n->parent;
        return n == root ? nullptr : n->next;
    }

    void Escape(xmlNsPtr ns) noexcept {
        const std::string_view href = View(ns->href);
        if (href.find_first_of("<&\t\n\r") == std::string_view::npos) return;
        std::string escaped;
        try {
            for (const char c : href) {
                switch (c) {
                    case '<': escaped += "&lt;"; break;
                    case '&': escaped += "&amp;"; break;
                    case '\t': escaped += "&#9;"; break;
                    case '\n': escaped += "&#10;"; break;
                    case '\r': escaped += "&#13;"; break;
                    default: escaped += c;
                }
            }
            replaced_.reserve(replaced_.size() + 1);
        } catch (const std::bad_alloc&) {
            complete_ = false;
            return;
        }
        xmlChar* copy = xmlStrdup(XmlChars(escaped));
        if (copy == nullptr) {
            complete_ = false;
            return;
        }
        replaced_.emplace_back(ns, ns->href);
        ns->href = copy;
    }

    std::vector<std::pair<xmlNsPtr, const xmlChar*>> replaced_;
    bool complete_ = true;
};

// Where libxml2's output goes. A write never fails in libxml2's eyes, which would report it on
// standard error: the first failure is kept here, and later writes are dropped.
class Sink {
public:
    virtual ~Sink() = default;
    HRESULT failure() const { return failure_; }

    static int Write(void* context, const char* bytes, int length) {
        auto* sink = static_cast<Sink*>(context);
        if (SUCCEEDED(sink->failure_)) sink->failure_ = sink->Take(bytes, static_cast<size_t>(length));
        return length;
    }

protected:
    virtual HRESULT Take(const char* bytes, size_t length) noexcept = 0;

private:
    HRESULT failure_ = S_OK;
};

class StringSink final : public Sink {
public:
    explicit StringSink(std::string& out) : out_(out) {}

private:
    HRESULT Take(const char* bytes, size_t length) noexcept override {
        try {
            out_.append(bytes, length);
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    std::string& out_;
};

HRESULT FromErrno(int error) {
    switch (error) {
    case EACCES: case EPERM: case EROFS: case EISDIR: case ETXTBSY: return E_ACCESSDENIED;
    case ENOENT: case ENOTDIR: return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
    case ENOSPC: case EDQUOT: return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    case EFBIG: return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    case ENOMEM: return E_OUTOFMEMORY;
    default: return E_FAIL;
    }
}

// An open file; a regular file that was not written whole is removed when this goes.
class FileSink final : public Sink {
public:
    explicit FileSink(const std::string& path)
        : path_(path), fd_(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)) {
        struct stat status {};
        opened_ = fd_ >= 0 ? S_OK : FromErrno(errno);
        regular_ = fd_ >= 0 && fstat(fd_, &status) == 0 && S_ISREG(status.st_mode);
    }
    ~FileSink() override {
        if (fd_ >= 0) close(fd_);
        if (regular_ && !whole_) unlink(path_.c_str());
    }
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    HRESULT opened() const { return opened_; }

    // Closes the file once libxml2 has flushed everything to it.
    HRESULT Finish(HRESULT written) {
        if (FAILED(written)) return written;
        const int fd = std::exchange(fd_, -1);
        if (close(fd) != 0) return FromErrno(errno);
        whole_ = true;
        return S_OK;
    }

private:
    HRESULT Take(const char* bytes, size_t length) noexcept override {
        while (length > 0) {
            const ssize_t written = write(fd_, bytes, length);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return written < 0 ? FromErrno(errno) : E_FAIL;
            bytes += written;
            length -= static_cast<size_t>(written);
        }
        return S_OK;
    }

    std::string path_;
    int fd_;
    HRESULT opened_ = S_OK;
    bool regular_ = false;
    bool whole_ = false;
};

// Writes `node` to `sink` through libxml2's own output buffer, in `encoding`.
HRESULT Write(xmlNodePtr node, Sink& sink, const char* encoding, int options) {
    BorrowedDeclarations::Needed needed;
    if (node->type == XML_ELEMENT_NODE) needed = UndeclaredNamespaces(node);
    BorrowedDeclarations declarations(node, needed);
    if (!declarations.complete()) return E_OUTOFMEMORY;
    EscapedNamespaceNames escaped(node);
    if (!escaped.complete()) return E_OUTOFMEMORY;
    xmlSaveCtxtPtr save = xmlSaveToIO(Sink::Write, nullptr, &sink, encoding, options);
    if (save == nullptr) return E_OUTOFMEMORY;
    if (node->type == XML_DOCUMENT_NODE) {
        xmlSaveDoc(save, reinterpret_cast<xmlDocPtr>(node));
    } else {
        xmlSaveTree(save, node);
    }
    const bool flushed = xmlSaveClose(save) >= 0;
    if (FAILED(sink.failure())) return sink.failure();
    return flushed ? S_OK : E_OUTOFMEMORY;
}

// The encoding the document's declaration named, when libxml2 can write it; UTF-8 otherwise.
const char* SavedEncoding(xmlDocPtr doc) {
    if (doc->encoding == nullptr) return "UTF-8";
    xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(Chars(doc->encoding));
    if (handler == nullptr) return "UTF-8";
    xmlCharEncCloseFunc(handler);
    return Chars(doc->encoding);
}

}  // namespace

HRESULT SerializeNode(const XmlTree& tree, xmlNodePtr node, std::string& out) {
    out.clear();
    try {
        if (node->type == XML_DOCUMENT_NODE && tree.hasDeclaration()) out = Declaration(reinterpret_cast<xmlDocPtr>(node));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const size_t start = out.size();
    StringSink sink(out);
    const HRESULT hr = Write(node, sink, "UTF-8", XML_SAVE_NO_DECL);
    if (FAILED(hr)) return hr;
    // An attribute is written with the space that separates it from its element.
    if (node->type == XML_ATTRIBUTE_NODE && out.size() > start && out[start] == ' ') out.erase(start, 1);
    return S_OK;
}

HRESULT SaveDocument(const XmlTree& tree, const std::string& path) {
    FileSink file(path);
    if (FAILED(file.opened())) return file.opened();
    xmlDocPtr doc = tree.doc();
    return file.Finish(Write(reinterpret_cast<xmlNodePtr>(doc), file, SavedEncoding(doc), 0));
}

}  // namespace msxml
