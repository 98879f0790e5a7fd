"""The matching rule and the per-page metrics.

A phrase is lower-cased, split into words of letters and digits and each word Porter-stemmed; a hit is
a predicted phrase whose stemmed words equal a truth term's. The partial variant also counts a phrase
whose words are a contiguous run of the other's (either way round).
"""

import re

import snowballstemmer

_STEMMER = snowballstemmer.stemmer("porter")
_WORD = re.compile(r"[^\W_]+", re.UNICODE)


def words(text):
    return _WORD.findall(text.lower())


def stem_key(text):
    """The stemmed words of a phrase as a tuple; empty when it has no word."""
    return tuple(_STEMMER.stemWords(words(text)))


def _is_run(short, long):
    n = len(short)
    return 0 < n <= len(long) and any(long[i : i + n] == short for i in range(len(long) - n + 1))


def matches(predicted, truth_key, partial):
    if predicted == truth_key:
        return True
    return partial and (_is_run(predicted, truth_key) or _is_run(truth_key, predicted))


def dedupe_keys(phrases, k):
    """The first k distinct non-empty stemmed phrases, in order: a list showing one phrase twice gets
    no second hit for it."""
    keys = []
    seen = set()
    for phrase in phrases:
        key = stem_key(phrase)
        if key and key not in seen:
            seen.add(key)
            keys.append(key)
            if len(keys) == k:
                break
    return keys


def page_scores(phrases, truth_terms, k=10, partial=False):
    """(P@1, P@k, R@k, F1@k) of one page's ranked phrases against its truth terms.

    P@k divides by k, not by how many phrases there are (a method offering fewer phrases gets no
    bonus); a truth term counts as found once however many phrases match it, and a phrase counts once
    however many terms it matches. F1@k is the page's own harmonic mean of its P@k and R@k.
    """
    truth = {stem_key(t) for t in truth_terms}
    truth.discard(())
    keys = dedupe_keys(phrases, k)
    if not truth:
        raise ValueError("a page without truth terms is not scored")
    hits = sum(1 for key in keys if any(matches(key, t, partial) for t in truth))
    found = sum(1 for t in truth if any(matches(key, t, partial) for key in keys))
    p1 = 1.0 if keys and any(matches(keys[0], t, partial) for t in truth) else 0.0
    p = hits / k
    r = found / len(truth)
    f1 = 2 * p * r / (p + r) if p + r else 0.0
    return p1, p, r, f1


def evaluate(predictions, truth, k=10):
    """Per page, over every page of truth (a page a method says nothing of scores zero):
    {page: (P@1, P@k, R@k, F1@k, partial F1@k)}."""
    out = {}
    for page, terms in truth.items():
        phrases = predictions.get(page, [])
        p1, p, r, f1 = page_scores(phrases, terms, k)
        out[page] = (p1, p, r, f1, page_scores(phrases, terms, k, partial=True)[3])
    return out


def macro(per_page):
    """The means over pages of each metric (macro-averaged)."""
    n = len(per_page)
    if n == 0:
        return (0.0,) * 5
    return tuple(sum(v[i] for v in per_page.values()) / n for i in range(5))
