#include "store/write/key_phrase_writer.h"

namespace vortaxel::store {

SqlStatus KeyPhraseWriter::Begin() {
    SqlStatus status = transaction_.Begin();
    if (status) {
        status = store_.Db().Execute("DELETE FROM key_phrases");
    }
    if (status) {
        status = insert_.Prepare(store_.Db(),
                                 "INSERT INTO key_phrases (page_id, rank, key, phrase, score) VALUES (?, ?, ?, ?, ?)");
    }
    if (!status) {
        transaction_.Rollback();
    }
    return status;
}

SqlStatus KeyPhraseWriter::Add(std::int64_t pageId, std::span<const keyphrase::KeyPhrase> phrases) {
    SqlStatus status;
    for (std::size_t rank = 0; status && rank < phrases.size(); ++rank) {
        insert_.Bind(1, pageId);
        insert_.Bind(2, static_cast<std::int64_t>(rank + 1));
        insert_.Bind(3, phrases[rank].key);
        insert_.Bind(4, phrases[rank].phrase);
        insert_.BindReal(5, phrases[rank].score);
        status = insert_.Run();
    }
    return status;
}

} // namespace vortaxel::store
