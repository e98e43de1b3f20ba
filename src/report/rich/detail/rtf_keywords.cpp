#include "report/rich/detail/rtf_keywords.h"

#include <string_view>
#include <unordered_map>

namespace report::rich::detail {

namespace {

using K = Keyword;

// Control words are short; a plain FNV-1a hash costs a fraction of the library's.
struct WordHash {
    std::size_t operator()(std::string_view w) const
    {
        std::size_t h = 14695981039346656037ull;
        for (const char c : w)
            h = (h ^ std::size_t(uchar(c))) * 1099511628211ull;
        return h;
    }
};
using Table = std::unordered_map<std::string_view, KeywordInfo, WordHash>;

const Table& table()
{
    static const Table words = [] {
        Table m{
            {"rtf", {K::Rtf}}, {"ansicpg", {K::Ansicpg}}, {"deff", {K::Deff}}, {"deftab", {K::Deftab}},
            {"fonttbl", {K::FontTable}}, {"colortbl", {K::ColorTable}}, {"uc", {K::Uc}}, {"u", {K::U}},
            {"bin", {K::Bin}}, {"f", {K::F}}, {"fcharset", {K::Fcharset}}, {"red", {K::Red}},
            {"green", {K::Green}}, {"blue", {K::Blue}}, {"par", {K::Par}}, {"sect", {K::Par}},
            {"page", {K::Par}}, {"row", {K::Row}}, {"line", {K::Line}}, {"tab", {K::Tab}},
            {"cell", {K::Cell}}, {"nestcell", {K::Cell}}, {"plain", {K::Plain}}, {"b", {K::B}},
            {"i", {K::I}}, {"ul", {K::Ul}}, {"uld", {K::Ul}}, {"uldb", {K::Ul}}, {"ulw", {K::Ul}},
            {"ulth", {K::Ul}}, {"uldash", {K::Ul}}, {"ulwave", {K::Ul}}, {"ulnone", {K::UlNone}},
            {"strike", {K::Strike}}, {"strikedl", {K::Strike}}, {"v", {K::Hidden}}, {"fs", {K::Fs}}, {"cf", {K::Cf}},
            {"highlight", {K::Highlight}}, {"cb", {K::Highlight}}, {"loch", {K::Loch}},
            {"hich", {K::Hich}}, {"dbch", {K::Dbch}}, {"rtlch", {K::Rtlch}}, {"ltrch", {K::Ltrch}},
            {"af", {K::Af}}, {"ab", {K::Ab}}, {"ai", {K::Ai}}, {"afs", {K::Afs}}, {"pard", {K::Pard}},
            {"ql", {K::Ql}}, {"qc", {K::Qc}}, {"qr", {K::Qr}}, {"qj", {K::Qj}}, {"qd", {K::Qj}},
            {"li", {K::Li}}, {"lin", {K::Li}}, {"ri", {K::Ri}}, {"rin", {K::Ri}}, {"fi", {K::Fi}},
            {"sb", {K::Sb}}, {"sa", {K::Sa}}, {"sl", {K::Sl}}, {"slmult", {K::Slmult}}, {"tx", {K::Tx}},
            // pictures; \shppict holds the picture that \nonshppict repeats for old readers
            {"pict", {K::Pict}}, {"shppict", {K::Shppict}}, {"pngblip", {K::PngBlip}},
            {"jpegblip", {K::JpegBlip}}, {"emfblip", {K::OtherBlip}}, {"wmetafile", {K::OtherBlip}},
            {"dibitmap", {K::OtherBlip}}, {"wbitmap", {K::OtherBlip}}, {"macpict", {K::OtherBlip}},
            {"pmmetafile", {K::OtherBlip}}, {"picw", {K::Picw}}, {"pich", {K::Pich}},
            {"picwgoal", {K::Picwgoal}}, {"pichgoal", {K::Pichgoal}}, {"picscalex", {K::Picscalex}},
            {"picscaley", {K::Picscaley}},
            {"bullet", {K::Symbol, 0x2022}}, {"emdash", {K::Symbol, 0x2014}},
            {"endash", {K::Symbol, 0x2013}}, {"lquote", {K::Symbol, 0x2018}},
            {"rquote", {K::Symbol, 0x2019}}, {"ldblquote", {K::Symbol, 0x201C}},
            {"rdblquote", {K::Symbol, 0x201D}}, {"emspace", {K::Symbol, 0x2003}},
            {"enspace", {K::Symbol, 0x2002}}, {"qmspace", {K::Symbol, 0x2005}},
            {"zwj", {K::Symbol, 0x200D}}, {"zwnj", {K::Symbol, 0x200C}}, {"zwbo", {K::Symbol, 0x200B}},
            {"ltrmark", {K::Symbol, 0x200E}}, {"rtlmark", {K::Symbol, 0x200F}},
        };
        // Destinations whose content is not text of the document: skipped whole, whether or
        // not the writer marked them with \*.
        for (const char* d : {"stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer",
                              "footerl", "footerr", "footerf", "footnote", "annotation", "fldinst", "xe", "tc",
                              "txe", "rxe", "themedata", "colorschememapping", "latentstyles", "datastore",
                              "listtable", "listoverridetable", "rsidtbl", "generator", "filetbl", "revtbl",
                              "pgdsctbl", "bkmkstart", "bkmkend", "nonshppict", "shprslt", "objdata",
                              "objclass", "objname", "template", "xmlnstbl", "mmathPr", "userprops",
                              "wgrffmtfilter", "picprop", "fchars", "lchars", "pn", "atnid", "atnauthor"})
            m.emplace(d, KeywordInfo{K::SkipDestination});
        return m;
    }();
    return words;
}

} // namespace

KeywordInfo lookupKeyword(QByteArrayView word)
{
    const auto& words = table();
    const auto it = words.find(std::string_view(word.data(), std::size_t(word.size())));
    return it == words.end() ? KeywordInfo{} : it->second;
}

} // namespace report::rich::detail
