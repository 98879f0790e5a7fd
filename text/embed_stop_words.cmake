# cmake -DOUTPUT=file.cpp "-DFILES=a.txt|b.txt" -P embed_stop_words.cmake
# Writes the stop word files into one C++ source as raw string literals, each named by its file's stem
# ("english"), so the program carries its lists and reads nothing from disk for them.
set(body "")
string(REPLACE "|" ";" files "${FILES}")
foreach(list IN LISTS files)
    get_filename_component(name ${list} NAME_WE)
    file(READ ${list} words)
    string(FIND "${words}" ")vortaxel\"" clash)
    if(NOT clash EQUAL -1)
        message(FATAL_ERROR "${list} holds the raw string's end marker")
    endif()
    string(APPEND body "    {\"${name}\", R\"vortaxel(${words})vortaxel\"},\n")
endforeach()
file(WRITE ${OUTPUT}.tmp "// Generated from text/stopwords/ by embed_stop_words.cmake; do not edit.
#include \"text/stop_word_lists.h\"

namespace vortaxel::text {
namespace {
const EmbeddedStopWords kLists[] = {
${body}};
} // namespace

std::span<const EmbeddedStopWords> EmbeddedStopWordLists() { return kLists; }

} // namespace vortaxel::text
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
