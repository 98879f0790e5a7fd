"""Simple key phrase extractors, written from their papers for comparison only.

Each takes a page's visible text blocks and returns phrases, best first. TF-IDF needs the document
frequencies of the site's pages (Corpus).
"""

import difflib
import math
import re
import statistics
from collections import Counter, defaultdict

from stopwords import ENGLISH

# A token keeps its inner joiners ("apt-get", "pg_dump", "recovery.signal"); the matching rule splits
# them again, so they cost nothing there.
_TOKEN = re.compile(r"[^\W_]+(?:[-_.'][^\W_]+)*|_+[^\W_]+(?:[-_.][^\W_]+)*|[^\w\s]", re.UNICODE)
_SENTENCE_END = re.compile(r"(?<=[.!?;:])\s+(?=\S)")


def _is_word(token):
    return token[0].isalnum() or token[0] == "_"


def _is_stop(token):
    return token.lower() in ENGLISH or not any(c.isalpha() for c in token)


def sentences(blocks):
    """Each block split into sentences, each a list of tokens (words and punctuation marks)."""
    out = []
    for block in blocks:
        for sentence in _SENTENCE_END.split(block):
            tokens = _TOKEN.findall(sentence)
            if tokens:
                out.append(tokens)
    return out


def ngrams(sentence, n_max=3):
    """Runs of 1..n_max words in a sentence that cross no punctuation and neither start nor end with a
    stop word (nor a word with no letter)."""
    runs, run = [], []
    for token in sentence:
        if _is_word(token):
            run.append(token)
        else:
            runs.append(run)
            run = []
    runs.append(run)
    for run in runs:
        for i in range(len(run)):
            if _is_stop(run[i]):
                continue
            for n in range(1, n_max + 1):
                if i + n > len(run):
                    break
                if not _is_stop(run[i + n - 1]):
                    yield tuple(run[i : i + n])


def _key(gram):
    return " ".join(t.lower() for t in gram)


class Corpus:
    """Document frequencies of lower-cased 1-3-grams over a site's pages."""

    def __init__(self):
        self.df = Counter()
        self.pages = 0

    def add(self, blocks):
        self.pages += 1
        self.df.update({_key(g) for s in sentences(blocks) for g in ngrams(s)})

    def idf(self, key):
        return math.log((1 + self.pages) / (1 + self.df[key])) + 1


def tfidf(blocks, corpus, k=10):
    """Candidates ranked by term frequency times inverse document frequency (Salton and Buckley 1988),
    each shown in its most frequent spelling."""
    tf = Counter()
    spelling = defaultdict(Counter)
    for s in sentences(blocks):
        for g in ngrams(s):
            key = _key(g)
            tf[key] += 1
            spelling[key][" ".join(g)] += 1
    ranked = sorted(tf, key=lambda key: (-tf[key] * corpus.idf(key), key))
    return [spelling[key].most_common(1)[0][0] for key in ranked[:k]]


def rake(blocks, k=10):
    """Rapid Automatic Keyword Extraction (Rose, Engel, Cramer and Cowley 2010): candidates are runs of
    content words between stop words and phrase delimiters; a word scores deg(w)/freq(w) over the
    candidates' co-occurrence graph, a candidate the sum of its words' scores."""
    candidates = []
    for s in sentences(blocks):
        run = []
        for token in s + ["."]:
            if _is_word(token) and not _is_stop(token):
                run.append(token.lower())
            else:
                if run:
                    candidates.append(tuple(run))
                run = []
    freq, degree = Counter(), Counter()
    for c in candidates:
        for w in c:
            freq[w] += 1
            degree[w] += len(c)
    score = {c: sum(degree[w] / freq[w] for w in c) for c in set(candidates)}
    ranked = sorted(score, key=lambda c: (-score[c], c))
    return [" ".join(c) for c in ranked[:k]]


def yake(blocks, k=10, n_max=3, window=1, dedup=0.9):
    """YAKE! (Campos, Mangaravite, Pasquali, Jorge, Nunes and Jatowt 2020): statistical features of each
    word in the page alone (casing, position, frequency, relatedness to context, spread over
    sentences) combined into a word score, a candidate's score from its words'; lower is better."""
    sents = sentences(blocks)
    tf, tf_upper, tf_acronym = Counter(), Counter(), Counter()
    positions = defaultdict(list)
    sentence_of = defaultdict(set)
    left, right = defaultdict(Counter), defaultdict(Counter)
    cooc = defaultdict(Counter)
    for si, s in enumerate(sents):
        prev_words = []
        for ti, token in enumerate(s):
            if not _is_word(token):
                prev_words = []
                continue
            w = token.lower()
            tf[w] += 1
            positions[w].append(si)
            sentence_of[w].add(si)
            if token.isupper() and len(token) > 1:
                tf_acronym[w] += 1
            elif token[0].isupper() and ti > 0:
                tf_upper[w] += 1
            for p in prev_words[-window:]:
                cooc[p][w] += 1
                if not _is_stop(w) and not _is_stop(p):
                    right[p][w] += 1
                    left[w][p] += 1
            prev_words.append(w)
    if not tf:
        return []
    content = [w for w in tf if not _is_stop(w)]
    counts = [tf[w] for w in content] or [0]
    mean_tf = statistics.mean(counts)
    std_tf = statistics.pstdev(counts)
    max_tf = max(tf.values())
    n_sents = len(sents)
    word_score = {}
    for w in tf:
        t_case = max(tf_upper[w], tf_acronym[w]) / (1 + math.log(tf[w]))
        t_pos = math.log(math.log(3 + statistics.median(positions[w])))
        t_freq = tf[w] / (mean_tf + std_tf) if mean_tf + std_tf else 0.0
        wl = len(left[w]) / sum(left[w].values()) if left[w] else 0.0
        wr = len(right[w]) / sum(right[w].values()) if right[w] else 0.0
        t_rel = 1 + (wl + wr) * tf[w] / max_tf
        t_sent = len(sentence_of[w]) / n_sents
        word_score[w] = (t_rel * t_pos) / (t_case + t_freq / t_rel + t_sent / t_rel)
    cand_tf = Counter()
    spelling = defaultdict(Counter)
    for s in sents:
        for g in ngrams(s, n_max):
            key = tuple(t.lower() for t in g)
            cand_tf[key] += 1
            spelling[key][" ".join(g)] += 1
    score = {}
    for key, n in cand_tf.items():
        prod, total = 1.0, 0.0
        for i, w in enumerate(key):
            if _is_stop(w):
                # A stop word inside a phrase weighs by how often its neighbours stand beside it.
                before = cooc[key[i - 1]][w] / tf[key[i - 1]] if i > 0 and tf[key[i - 1]] else 0.0
                after = cooc[w][key[i + 1]] / tf[key[i + 1]] if i + 1 < len(key) and tf[key[i + 1]] else 0.0
                bigram = before * after
                prod *= 1 + (1 - bigram)
                total -= 1 - bigram
            else:
                prod *= word_score[w]
                total += word_score[w]
        score[key] = prod / (n * (1 + total))
    chosen = []
    for key in sorted(score, key=lambda c: (score[c], c)):
        text = " ".join(key)
        if any(difflib.SequenceMatcher(None, text, other).ratio() > dedup for other in chosen):
            continue
        chosen.append(text)
        if len(chosen) == k:
            break
    return [spelling[tuple(c.split(" "))].most_common(1)[0][0] for c in chosen]


# "2.7. ", "Chapter 10. ", "A.9. ", "Part II. ", "F.31. ": a number with a dot after it, or a label word before it.
_NUMBERING = re.compile(
    r"^\s*(?:(?:chapter|appendix|part|section|book)\s+)?(?:[0-9]+|[A-Z]|[IVXLC]+)(?:\.[0-9]+)*\.\s+",
    re.IGNORECASE,
)
# Punctuation that separates a title's parts: standing alone or ending a word, not inside one.
_TITLE_SPLIT = re.compile(r"\s+[-\u2013\u2014|/:]+\s+|[,;:!?()\[\]\"\u201c\u201d]+\s*|\s+[\u2013\u2014]\s*|\s*\u2014\s*")
_SUFFIX_SEPARATORS = (" \u2014 ", " \u2013 ", " - ", " | ", " :: ", " · ")


def site_affixes(titles):
    """The suffixes (after a separator such as " — ") and prefixes that more than half of a site's
    titles share: the site's name, not the page's."""
    found = set()
    counts = Counter()
    for t in titles:
        seen = set()
        for sep in _SUFFIX_SEPARATORS:
            if sep in t:
                seen.add(("suffix", t[t.rindex(sep):]))
                seen.add(("prefix", t[: t.index(sep) + len(sep)]))
        counts.update(seen)
    for affix, n in counts.items():
        if n * 2 > len(titles):
            found.add(affix)
    return found


def clean_title(title, affixes=()):
    for kind, text in affixes:
        if kind == "suffix" and title.endswith(text) and len(title) > len(text):
            title = title[: -len(text)]
        elif kind == "prefix" and title.startswith(text) and len(title) > len(text):
            title = title[len(text):]
    title = _NUMBERING.sub("", title, count=1)
    return " ".join(title.split())


def title_parts(title):
    return [p.strip(" .") for p in _TITLE_SPLIT.split(title) if p.strip(" .")]


def title_then_tfidf(title, blocks, corpus, affixes=(), k=10):
    """The cleaned title's parts (split at punctuation) first, then TF-IDF's phrases after them."""
    out = title_parts(clean_title(title, affixes))
    seen = {p.lower() for p in out}
    for p in tfidf(blocks, corpus, k + len(out)):
        if p.lower() not in seen:
            out.append(p)
            seen.add(p.lower())
    return out[:k]
