"""The context model (context.bin): a smoothed trigram model of running Urdu text.

Counts come from Makhzan's edited prose (makhzan-word-frequency.json,
makhzan-2gram.json, makhzan-3gram.json) and from tesseract's word pairs
(tesseract-urd-word-bigrams.txt), whose ranks are put on Makhzan's scale.
Every form is NFC'd and passed through the word list's `normalise`; forms that
normalise alike add their counts, and only n-grams of lexicon words are kept.

The model is interpolated absolute discounting (Ney, Essen and Kneser's), the
form of Kneser-Ney whose lower orders are the plain distributions:

    P1(w)     = (c(w) + 1) / (N + V)                  N tokens, V lexicon words
    P2(w|v)   = max(c(v w) - D, 0) / c(v)   + a(v)   P1(w)
    P3(w|u v) = max(c(u v w) - D, 0) / c(u v) + a(u v) P2(w|v)

with a(h) = 1 - sum_w max(c(h w) - D, 0) / c(h), so each is a distribution.
Why not Kneser-Ney's continuation counts: they count the distinct words before
a word, and the n-gram files are pruned at count >= 4, so the pairs seen once
to three times that make those counts are missing, and rare words would get
none. The unigram counts are not pruned, so P1 uses them.

Pruning is handled through the context's own count: c(v) is the word's count
in the unpruned word-frequency file and c(u v) the pair's count, not the sum of
the n-grams kept after them. The mass of the pruned n-grams (those seen fewer
than 4 times) thus goes to a(h), the back-off to the lower order, as it should.
A pair absent from the pairs file was seen at most 3 times.

tesseract's pairs come from web text by rank, without counts. ln count is fitted
as a line of ln rank over the pairs both sources have (least squares; on the
shipped sources ln c = 10.28 - 0.72 ln rank), and a pair only tesseract has gets
the line's count, but never more than PRUNED_BELOW - 0.5: Makhzan lacking it
says it was seen fewer than 4 times there.

File layout, little-endian: "ZBLC", u32 version (2), u32 word count W, u32 pair
count B, u32 triple count T, u8 the cost of a word outside the model, 3 zero
bytes; W words in code-unit order, each a u8 length, that many UTF-16 units,
u8 cost of P1 and u8 cost of a(w); B pairs sorted by (first, second), each u16
first, u16 second, u8 cost of P2(second|first), u8 cost of a(first second); T
triples sorted by their three words, each three u16 and the u8 cost of P3. A
cost is -ln p in steps of 1/8 (0 to 255: p down to e^-31.9).
"""

import json
import math
import unicodedata
from pathlib import Path

MAGIC = b"ZBLC"
VERSION = 2
OLD_MAGIC = b"ZBLM"
HEADER = 24
STEP = 8  # costs are -ln p times STEP, rounded
MAX_COST = 255
MAX_WORDS = 0xFFFF
MAX_UNITS = 0xFF
DISCOUNT = 0.8
PRUNED_BELOW = 4
# ln count = INTERCEPT - SLOPE ln rank: used when the sources share no pairs to fit it.
DEFAULT_LINE = (10.28, 0.72)

UNIGRAMS_FILE = "makhzan-word-frequency.json"
BIGRAMS_FILE = "makhzan-2gram.json"
TRIGRAMS_FILE = "makhzan-3gram.json"
TESSERACT_PAIRS_FILE = "tesseract-urd-word-bigrams.txt"


class ContextModelError(Exception):
    pass


def _json(path):
    if not path.is_file():
        return {}
    with open(path, encoding="utf-8") as f:
        return json.load(f)


def _tesseract_pairs(path):
    """The pairs of the pairs file, (first, second) as written, in order."""
    if not path.is_file():
        return []
    pairs = []
    with open(path, encoding="utf-8-sig", newline="") as f:
        for line in f:
            pair = line.split()
            if len(pair) == 2:
                pairs.append((pair[0], pair[1]))
    return pairs


def fit_rank_line(shared):
    """(intercept, slope) of ln count = intercept - slope ln rank over [(rank, count)]."""
    if len(shared) < 2:
        return DEFAULT_LINE
    xs = [math.log(rank) for rank, _ in shared]
    ys = [math.log(count) for _, count in shared]
    mx, my = math.fsum(xs) / len(xs), math.fsum(ys) / len(ys)
    sxx = math.fsum((x - mx) ** 2 for x in xs)
    if sxx == 0:
        return DEFAULT_LINE
    slope = -math.fsum((x - mx) * (y - my) for x, y in zip(xs, ys)) / sxx
    return (my + slope * mx, slope)


def counts(sources, lexicon, normalise):
    """(unigram counts, tokens, pair counts, triple counts, rank line) of lexicon words."""
    sources = Path(sources)

    def norm(form):
        word = normalise(unicodedata.normalize("NFC", form))
        return word if word in lexicon else None

    unigrams, tokens = {}, 0
    for form, count in sorted(_json(sources / UNIGRAMS_FILE).items()):
        tokens += count
        word = norm(form)
        if word is not None:
            unigrams[word] = unigrams.get(word, 0) + count
    pairs = {}
    for first, seconds in sorted(_json(sources / BIGRAMS_FILE).items()):
        a = norm(first)
        for second, count in sorted(seconds.items()):
            b = norm(second)
            if a is not None and b is not None:
                pairs[(a, b)] = pairs.get((a, b), 0) + count
    triples = {}
    for head, thirds in sorted(_json(sources / TRIGRAMS_FILE).items()):
        words = head.split(" ")
        if len(words) != 2:
            continue
        a, b = norm(words[0]), norm(words[1])
        for third, count in sorted(thirds.items()):
            c = norm(third)
            if a is not None and b is not None and c is not None:
                triples[(a, b, c)] = triples.get((a, b, c), 0) + count
    # tesseract's pairs by their first place, put on Makhzan's scale.
    ranks = {}
    for rank, (first, second) in enumerate(_tesseract_pairs(sources / TESSERACT_PAIRS_FILE), start=1):
        a, b = norm(first), norm(second)
        if a is not None and b is not None:
            ranks.setdefault((a, b), rank)
    line = fit_rank_line(sorted((rank, pairs[pair]) for pair, rank in ranks.items() if pair in pairs))
    for pair, rank in sorted(ranks.items()):
        if pair not in pairs:
            pairs[pair] = min(math.exp(line[0] - line[1] * math.log(rank)), PRUNED_BELOW - 0.5)
    # A triple's pair is a pair of the model (its count is at least the triple's).
    for (a, b, c), count in triples.items():
        pairs[(a, b)] = max(pairs.get((a, b), 0), count)
    return unigrams, tokens, pairs, triples, line


def cost(p):
    return min(MAX_COST, max(0, round(-math.log(p) * STEP)))


def model_bytes(unigrams, tokens, pairs, triples, vocabulary_size):
    """The bytes of the model of these counts (see the module's docstring)."""
    words = sorted({w for pair in pairs for w in pair} | {w for triple in triples for w in triple})
    if len(words) > MAX_WORDS:
        # The rarest words go, with their n-grams.
        keep = set(sorted(words, key=lambda w: (-unigrams.get(w, 0), w))[:MAX_WORDS])
        pairs = {p: c for p, c in pairs.items() if p[0] in keep and p[1] in keep}
        triples = {t: c for t, c in triples.items() if all(w in keep for w in t)}
        words = sorted(keep)
    if any(len(w) > MAX_UNITS for w in words):
        raise ContextModelError("a word of the context model is longer than 255 units")
    number = {w: i for i, w in enumerate(words)}
    total = max(tokens + vocabulary_size, 1)
    p1 = {w: (unigrams.get(w, 0) + 1) / total for w in words}

    def discounted(table, context_count):
        """{context: (its count, the mass its seen n-grams keep)}."""
        kept, seen = {}, {}
        for gram, count in table.items():
            kept[gram[:-1]] = kept.get(gram[:-1], 0) + max(count - DISCOUNT, 0)
            seen[gram[:-1]] = seen.get(gram[:-1], 0) + count
        return {h: (max(context_count(h), seen[h]), kept[h]) for h in kept}

    pair_contexts = discounted(pairs, lambda h: unigrams.get(h[0], 0))
    triple_contexts = discounted(triples, lambda h: pairs.get(h, 0))
    backoff = lambda contexts, h: (1 - contexts[h][1] / contexts[h][0]) if h in contexts else 1.0

    def p2(a, b):
        count, _ = pair_contexts.get((a,), (0, 0))
        seen = max(pairs.get((a, b), 0) - DISCOUNT, 0) / count if count else 0
        return seen + backoff(pair_contexts, (a,)) * p1[b]

    out = bytearray(MAGIC)
    out += VERSION.to_bytes(4, "little") + len(words).to_bytes(4, "little")
    out += len(pairs).to_bytes(4, "little") + len(triples).to_bytes(4, "little")
    out += bytes([cost(1 / total), 0, 0, 0])
    for w in words:
        units = w.encode("utf-16-le")
        out += bytes([len(units) // 2]) + units + bytes([cost(p1[w]), cost(backoff(pair_contexts, (w,)))])
    for a, b in sorted(pairs, key=lambda p: (number[p[0]], number[p[1]])):
        out += number[a].to_bytes(2, "little") + number[b].to_bytes(2, "little")
        out += bytes([cost(p2(a, b)), cost(backoff(triple_contexts, (a, b)))])
    for a, b, c in sorted(triples, key=lambda t: (number[t[0]], number[t[1]], number[t[2]])):
        count, _ = triple_contexts[(a, b)]
        p3 = max(triples[(a, b, c)] - DISCOUNT, 0) / count + backoff(triple_contexts, (a, b)) * p2(b, c)
        out += number[a].to_bytes(2, "little") + number[b].to_bytes(2, "little") + number[c].to_bytes(2, "little")
        out += bytes([cost(p3)])
    return bytes(out)


def build(sources, lexicon, normalise):
    """The bytes of context.bin for the lexicon's words ({word: frequency})."""
    unigrams, tokens, pairs, triples, _ = counts(sources, lexicon, normalise)
    return model_bytes(unigrams, tokens, pairs, triples, len(lexicon))


class Model:
    """A context model read back: costs turned into natural-log probabilities."""

    def __init__(self, words, unknown, unigram, backoff, pairs, triples):
        self.words, self.unknown = words, unknown
        self.unigram, self.backoff = unigram, backoff  # by word
        self.pairs = pairs        # {(a, b): (ln P2, ln a(a b))}
        self.triples = triples    # {(a, b, c): ln P3}

    def log_probability(self, word, before=(), ):
        """ln P(word | before), `before` the one or two words before it, nearest last."""
        before = tuple(before)[-2:]
        if len(before) == 2:
            if (before[0], before[1], word) in self.triples:
                return self.triples[(before[0], before[1], word)]
            up = self.pairs.get(before, (0.0, 0.0))[1]
            return up + self.log_probability(word, before[1:])
        if len(before) == 1:
            if (before[0], word) in self.pairs:
                return self.pairs[(before[0], word)][0]
            return self.backoff.get(before[0], 0.0) + self.log_probability(word)
        return self.unigram.get(word, self.unknown)


def read(data):
    """The Model of context.bin's bytes; ContextModelError when they are not a sound one."""
    if data[:4] == OLD_MAGIC:
        raise ContextModelError("an old ZBLM context model: rebuild it with tools/make-dictionary")
    if len(data) < HEADER or data[:4] != MAGIC:
        raise ContextModelError("not a context model")
    version = int.from_bytes(data[4:8], "little")
    if version != VERSION:
        raise ContextModelError(f"a context model of version {version}, not {VERSION}")
    count, n_pairs, n_triples = (int.from_bytes(data[k:k + 4], "little") for k in (8, 12, 16))
    if data[21:24] != b"\0\0\0":
        raise ContextModelError("the context model's header is damaged")
    lp = lambda q: -q / STEP
    at, words, unigram, backoff = HEADER, [], {}, {}
    for _ in range(count):
        if at >= len(data) or at + 3 + 2 * data[at] > len(data):
            raise ContextModelError("the context model is cut short")
        n = data[at]
        word = data[at + 1:at + 1 + 2 * n].decode("utf-16-le")
        if not word or (words and not words[-1].encode("utf-16-be") < word.encode("utf-16-be")):
            raise ContextModelError("the context model's words are not in order")
        words.append(word)
        unigram[word], backoff[word] = lp(data[at + 1 + 2 * n]), lp(data[at + 2 + 2 * n])
        at += 3 + 2 * n
    if len(data) != at + 6 * n_pairs + 7 * n_triples:
        raise ContextModelError("the context model's length does not match its counts")
    u16 = lambda k: int.from_bytes(data[k:k + 2], "little")

    def word(k):
        if u16(k) >= count:
            raise ContextModelError("an n-gram of the context model names no word")
        return words[u16(k)]

    pairs, last = {}, None
    for k in range(at, at + 6 * n_pairs, 6):
        key = (u16(k), u16(k + 2))
        if last is not None and key <= last:
            raise ContextModelError("the context model's pairs are not in order")
        last = key
        pairs[(word(k), word(k + 2))] = (lp(data[k + 4]), lp(data[k + 5]))
    triples, last = {}, None
    for k in range(at + 6 * n_pairs, len(data), 7):
        key = (u16(k), u16(k + 2), u16(k + 4))
        if last is not None and key <= last:
            raise ContextModelError("the context model's triples are not in order")
        last = key
        triples[(word(k), word(k + 2), word(k + 4))] = lp(data[k + 6])
    return Model(words, lp(data[20]), unigram, backoff, pairs, triples)
