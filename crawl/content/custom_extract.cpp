#include "crawl/content/custom_extract.h"

#include "web/ascii.h"

#include <climits>
#include <libxml/HTMLparser.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>
#include <memory>
#include <mutex>
#include <optional>
#include <re2/re2.h>

namespace vortaxel::crawl {

namespace {

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};
struct ContextFree {
    void operator()(xmlXPathContext* context) const { xmlXPathFreeContext(context); }
};
struct ObjectFree {
    void operator()(xmlXPathObject* object) const { xmlXPathFreeObject(object); }
};
struct CompiledFree {
    void operator()(xmlXPathCompExpr* compiled) const { xmlXPathFreeCompExpr(compiled); }
};
struct CharFree {
    void operator()(xmlChar* text) const { xmlFree(text); }
};

using Doc = std::unique_ptr<xmlDoc, DocFree>;
using Context = std::unique_ptr<xmlXPathContext, ContextFree>;
using Object = std::unique_ptr<xmlXPathObject, ObjectFree>;
using Compiled = std::unique_ptr<xmlXPathCompExpr, CompiledFree>;
using Chars = std::unique_ptr<xmlChar, CharFree>;

const xmlChar* XmlText(const std::string& text) {
    return reinterpret_cast<const xmlChar*>(text.c_str());
}

/// What an XPath fault is, in words: libxml2 gives the compiler's faults by code alone.
std::string_view XPathFault(int code) {
    switch (code - XML_XPATH_EXPRESSION_OK + XPATH_EXPRESSION_OK) {
    case XPATH_NUMBER_ERROR:
        return "a number is written wrong";
    case XPATH_UNFINISHED_LITERAL_ERROR:
        return "a string is not closed";
    case XPATH_START_LITERAL_ERROR:
        return "a string is expected";
    case XPATH_VARIABLE_REF_ERROR:
    case XPATH_UNDEF_VARIABLE_ERROR:
    case XPATH_FORBID_VARIABLE_ERROR:
        return "it names a variable, which extractors do not have";
    case XPATH_INVALID_PREDICATE_ERROR:
        return "a predicate ([...]) is not well formed";
    case XPATH_UNCLOSED_ERROR:
        return "a bracket is not closed";
    case XPATH_UNKNOWN_FUNC_ERROR:
        return "it calls an unknown function";
    case XPATH_INVALID_ARITY:
        return "a function has the wrong number of arguments";
    case XPATH_UNDEF_PREFIX_ERROR:
        return "it uses a namespace prefix that is not declared";
    case XPATH_INVALID_CHAR_ERROR:
    case XPATH_ENCODING_ERROR:
        return "it holds a character XPath does not allow";
    default:
        return "it is no valid expression";
    }
}

/// libxml2 reports an expression's fault through the context; the first one is the reason given.
void KeepFirstError(void* data, xmlError* error) {
    auto& reason = *static_cast<std::string*>(data);
    if (!reason.empty() || error == nullptr) {
        return;
    }
    reason =
        error->message != nullptr ? std::string(web::TrimBlanks(error->message)) : std::string(XPathFault(error->code));
    if (error->message == nullptr && error->int1 >= 0) {
        reason += " (at character " + std::to_string(error->int1 + 1) + ")";
    }
}

Compiled CompileXPath(xmlXPathContext& context, const std::string& expression, std::string& reason) {
    context.userData = &reason;
    context.error = KeepFirstError;
    Compiled compiled(xmlXPathCtxtCompile(&context, XmlText(expression)));
    context.error = nullptr;
    context.userData = nullptr;
    if (!compiled && reason.empty()) {
        reason = "it does not compile";
    }
    return compiled;
}

RE2::Options RegexOptions() {
    RE2::Options options;
    options.set_log_errors(false);
    return options;
}

/// A value as a column shows it: white space collapsed, at most kMaxExtractedBytes, cut between characters.
std::string Collapsed(std::string_view text) {
    std::string out;
    bool space = false;
    for (const char c : text) {
        if (web::IsHtmlSpace(c)) {
            space = !out.empty();
            continue;
        }
        if (space) {
            if (out.size() + 1 >= kMaxExtractedBytes) {
                break;
            }
            out += ' ';
            space = false;
        }
        if (out.size() == kMaxExtractedBytes) {
            // A continuation byte left over would start the cut value's last character half-way.
            while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) {
                out.pop_back();
            }
            if (!out.empty() && (static_cast<unsigned char>(out.back()) & 0x80) != 0) {
                out.pop_back();
            }
            break;
        }
        out += c;
    }
    return out;
}

void AddValue(std::vector<std::string>& values, std::string_view text) {
    values.push_back(Collapsed(text));
}

std::vector<std::string> XPathValues(xmlXPathContext& context, const Extractor& extractor, std::size_t most) {
    std::vector<std::string> values;
    std::string reason;
    const Compiled compiled = CompileXPath(context, extractor.expression, reason);
    if (!compiled) {
        return values;
    }
    const Object result(xmlXPathCompiledEval(compiled.get(), &context));
    if (!result) {
        return values;
    }
    if (result->type == XPATH_NODESET) {
        const xmlNodeSet* nodes = result->nodesetval;
        const int count = nodes == nullptr ? 0 : nodes->nodeNr;
        for (int i = 0; i < count && values.size() < most; ++i) {
            const Chars text(xmlNodeGetContent(nodes->nodeTab[i]));
            AddValue(values, text ? reinterpret_cast<const char*>(text.get()) : "");
        }
        return values;
    }
    const Chars text(xmlXPathCastToString(result.get()));
    if (text) {
        AddValue(values, reinterpret_cast<const char*>(text.get()));
    }
    return values;
}

std::vector<std::string> RegexValues(std::string_view html, const Extractor& extractor, std::size_t most) {
    std::vector<std::string> values;
    const RE2 regex(extractor.expression, RegexOptions());
    if (!regex.ok()) {
        return values;
    }
    const int groups = regex.NumberOfCapturingGroups() > 0 ? 2 : 1;
    re2::StringPiece found[2];
    std::size_t at = 0;
    while (values.size() < most && at <= html.size() &&
           regex.Match(re2::StringPiece(html.data(), html.size()), at, html.size(), RE2::UNANCHORED, found, groups)) {
        AddValue(values, std::string_view(found[groups - 1].data(), found[groups - 1].size()));
        const std::size_t end = static_cast<std::size_t>(found[0].data() - html.data()) + found[0].size();
        // An empty match moves on by one byte, or it would be found again where it stands.
        at = found[0].empty() ? end + 1 : end;
    }
    return values;
}

/// libxml2 sets itself up once per process, and its first set-up must not run on two threads at once: the
/// readers of a resumed crawl may all meet their first XPath together.
void InitLibxml() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

bool IsColumnNameByte(char c, bool first) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           (!first && ((c >= '0' && c <= '9') || c == '-'));
}

} // namespace

std::string ExtractorProblem(const Extractor& extractor) {
    constexpr std::size_t kMaxNameBytes = 64;
    if (extractor.name.empty() || extractor.name.size() > kMaxNameBytes) {
        return "its name must be 1 to 64 characters";
    }
    for (std::size_t i = 0; i < extractor.name.size(); ++i) {
        if (!IsColumnNameByte(extractor.name[i], i == 0)) {
            return "its name \"" + extractor.name +
                   "\" may hold only letters, digits, '_' and '-', and must start with a letter or '_'";
        }
    }
    if (extractor.expression.empty()) {
        return "it has no expression";
    }
    if (extractor.kind == ExtractorKind::Regex) {
        const RE2 regex(extractor.expression, RegexOptions());
        return regex.ok() ? std::string() : "the regex does not compile: " + regex.error();
    }
    InitLibxml();
    const Context context(xmlXPathNewContext(nullptr));
    if (!context) {
        return "no memory to compile the XPath";
    }
    std::string reason;
    return CompileXPath(*context, extractor.expression, reason) ? std::string()
                                                                : "the XPath does not compile: " + reason;
}

std::vector<std::vector<std::string>> ExtractFrom(std::string_view html, const std::vector<Extractor>& extractors,
                                                  bool all) {
    std::vector<std::vector<std::string>> found(extractors.size());
    const std::size_t most = all ? kMaxExtractedValues : 1;
    Doc doc;
    Context context;
    for (std::size_t i = 0; i < extractors.size(); ++i) {
        const Extractor& extractor = extractors[i];
        if (extractor.kind == ExtractorKind::Regex) {
            found[i] = RegexValues(html, extractor, most);
            continue;
        }
        if (!doc) {
            // The page's one read builds no tree; an XPath needs one, so only a crawl that asks for one pays
            // for this second parse, with libxml2's HTML parser, once per page for all its XPaths.
            if (html.size() > static_cast<std::size_t>(INT_MAX)) {
                return found;
            }
            InitLibxml();
            doc.reset(htmlReadMemory(html.data(), static_cast<int>(html.size()), nullptr, "UTF-8",
                                     HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET |
                                         HTML_PARSE_COMPACT));
            if (!doc) {
                return found;
            }
            context.reset(xmlXPathNewContext(doc.get()));
            if (!context) {
                return found;
            }
        }
        found[i] = XPathValues(*context, extractor, most);
    }
    return found;
}

} // namespace vortaxel::crawl
