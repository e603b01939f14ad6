#!/usr/bin/env python3
"""Generates analysis/verses.txt, the verse catalogue of the analysis page.

Classical rows come from the two sources read by sources.py; the rows
written for Lumtar come from written_*.txt and judgements.txt beside this
script. Run from anywhere:

    python3 tools/analysis/gen_catalogue.py               # writes the catalogue
    python3 tools/analysis/gen_catalogue.py --check       # compares only
    python3 tools/analysis/gen_catalogue.py --similarity  # the 主飞入 mirror pairs only

The script stops with a message when a source does not parse as expected.
"""
import difflib
import os
import re
import sys

import sources

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
OUTPUT = os.path.join(REPO, 'analysis', 'verses.txt')

BODIES = '日月水金火木土罗计气孛'
MANSIONS = '轸角亢氐房心尾箕斗牛女虚危室壁奎娄胃昴毕觜参井鬼柳星张翼'
BRANCHES = '亥子丑寅卯辰巳午未申酉戌'
MANSION_VERSE_BASE = [100, 130, 160, 200, 230, 260, 300, 330, 360, 400, 430]
# House names in the 飞 titles, houses 0..9.
FLY_HOUSES = ['命', '财帛', '兄弟', '田宅', '男女', '奴仆', '夫妻', '疾厄', '迁移', '官禄']
# The same houses as the 张果星宗 labels them (官禄 is also written 官福).
ZHANG_HOUSES = ['命宫', '财帛', '兄弟', '田宅', '男女', '奴仆', '妻妾', '疾厄', '迁移', '官[禄福]']
ZHANG_BODY = {'岁星': '木', '荧惑': '火', '镇星': '土', '太白': '金', '辰星': '水', '太阳': '日',
              '太阴': '月', '紫气': '气', '月孛': '孛', '罗喉': '罗', '计都': '计'}
# 變段 signs (after conversion) -> branch.
SIGN_BRANCH = {'宝瓶': '子', '磨蝎': '丑', '磨羯': '丑', '人马': '寅', '天蝎': '卯', '天秤': '辰',
               '双女': '巳', '狮子': '午', '师子': '午', '巨蟹': '未', '巨獬': '未', '阴阳': '申', '金牛': '酉',
               '白羊': '戌', '双鱼': '亥'}
# 星學大成 volume and first line of each body's 變段 list.
XXDC_SIGN_LISTS = {'木': (14, 521), '火': (15, 539), '土': (16, 510), '金': (16, 1039),
                   '水': (17, 512), '日': (18, 499), '月': (19, 462), '气': (19, 904),
                   '孛': (20, 513), '罗': (21, 468), '计': (22, 444)}
PUNCT = '，。；！？、：'

# Rows that hold only their title.
TITLE_ONLY = {322: '土躔井宿。', 720: '日飞财帛宫', 721: '月飞财帛宫', 722: '水飞财帛宫',
              725: '木飞财帛宫', 726: '土飞财帛宫', 730: '孛飞疾厄宫', 843: '金飞疾厄宫',
              846: '土飞疾厄宫', 847: '罗飞疾厄宫', 848: '计飞疾厄宫'}


class SourceError(Exception):
    pass


def take_verse(text, pos, nlines, width):
    """Reads `nlines` lines of `width` characters from text[pos:].

    The source punctuation is used when it cuts the lines right; otherwise
    the characters are counted, which mends a comma set inside a line. Returns
    the lines, or None when neither way gives whole lines.
    """
    segs, cur, i = [], '', pos
    while len(segs) < nlines and i < len(text):
        c = text[i]
        if c in PUNCT:
            if cur:
                segs.append(cur)
            cur = ''
        else:
            cur += c
        i += 1
    if len(segs) == nlines and all(len(s) == width for s in segs):
        return segs
    chars, i = '', pos
    while len(chars) < nlines * width and i < len(text):
        if text[i] not in PUNCT:
            chars += text[i]
        i += 1
    if len(chars) < nlines * width or (i < len(text) and text[i] not in PUNCT):
        return None
    return [chars[k * width:(k + 1) * width] for k in range(nlines)]


def zhang_body_sections(secs, kind):
    """{body char: section text} for the sections 【<body name><kind>…】."""
    out = {}
    for head, body in secs.items():
        for name, ch in ZHANG_BODY.items():
            if head.startswith('【' + name + kind):
                out[ch] = body
    if len(out) != 11:
        raise SourceError('张果星宗: %d sections of kind %s' % (len(out), kind))
    return out


# Lines mended by hand where the source is defective; each with its reason.
EMENDED_LINES = {
    # Both books read 金星躔角; the row is written in the form of the other 307.
    ('躔', '金', '角'): (0, '金躔角宿号天清'),
    # A character is missing in 张果星宗 (six characters in a seven-character line).
    ('守', '日', '丑'): (1, '此位元来属斗牛'),
    # Misprints of the 张果星宗 edition, read as 星學大成 has them.
    ('躔', '日', '星'): (3, '富贵荣华声赫赫'),   # 柴华
    ('躔', '月', '氐'): (1, '性急多嗔又乖劣'),   # 乘劣
    ('躔', '火', '娄'): (3, '渊源学问翰林场'),   # 学向
    ('躔', '木', '参'): (2, '户口邦畿堪立任'),   # 拜畿
    ('躔', '土', '参'): (2, '男女犹如行路客'),   # 尤如
}


def emend(kind, body, place, lines):
    fix = EMENDED_LINES.get((kind, body, place))
    if fix:
        lines = list(lines)
        lines[fix[0]] = fix[1]
    return lines


def mansion_rows(secs):
    """躔: 11 bodies x 28 mansions from the 玉关歌 of 张果星宗."""
    rows = {}
    for ch, text in zhang_body_sections(secs, '躔').items():
        b = BODIES.index(ch)
        for m, mname in enumerate(MANSIONS):
            found = [x.start() for x in re.finditer(ch + '星?躔' + mname, text)]
            if len(found) != 1:
                raise SourceError('张果星宗 躔 %s%s: %d matches' % (ch, mname, len(found)))
            pos = found[0]
            lines = take_verse(text, pos, 4, 7)
            if lines is None:
                raise SourceError('张果星宗 躔 %s%s does not parse' % (ch, mname))
            lines = emend('躔', ch, mname, lines)
            rows[MANSION_VERSE_BASE[b] + m] = '、'.join(lines) + '。'
    return rows


def zhang_branch_quatrains(secs):
    """守, first quatrain: the 枢要歌 verse of each body and branch."""
    out = {}
    for ch, text in zhang_body_sections(secs, '入宫').items():
        pos = 0
        for br in '子丑寅卯辰巳午未申酉戌亥':
            label = ch + ('[子之]' if (ch, br) == ('水', '子') else br) + '[：；]?'
            m = re.compile(label).search(text, pos)
            if not m:
                raise SourceError('张果星宗 入宫 %s%s not found' % (ch, br))
            lines = take_verse(text, m.end(), 4, 7)
            if lines is None and (ch, br) in {k[1:] for k in EMENDED_LINES if k[0] == '守'}:
                # Read the defective line as it stands; the emendation replaces it.
                segs = re.split('[%s]' % PUNCT, text[m.end():])
                lines = [s for s in segs if s][:4]
            if lines is None:
                raise SourceError('张果星宗 入宫 %s%s does not parse' % (ch, br))
            out[(ch, br)] = emend('守', ch, br, lines)
            pos = m.end()
    return out


def xxdc_sign_quatrains():
    """守, second quatrain: the 變段星 verse of each body and sign (星學大成)."""
    raw = {}
    for ch, (vol, start) in XXDC_SIGN_LISTS.items():
        lines = sources.xxdc_lines(vol)
        i = next(k for k, (n, _, _) in enumerate(lines) if n == start) + 1
        current, poem = None, {}
        while i < len(lines):
            n, indent, text = lines[i]
            i += 1
            if not text:
                continue
            if text.startswith('星學大成卷') or (indent == 2 and not text.startswith('詩')):
                break
            if indent == 1 and len(text) > 2 and text[2] in '宫宮':
                current = text[:2]
                poem[current] = []
            elif current is not None and indent >= 2:
                if text.startswith('詩'):
                    text = text[2:]
                poem[current].extend(x for x in text.split('\u3000') if x)
        if len(poem) != 12:
            raise SourceError('星學大成 變段 %s: %d signs' % (ch, len(poem)))
        for sign, verse in poem.items():
            raw[(ch, sign)] = verse
    keys = list(raw)
    flat = sources.opencc_t2s([sources.normalize_variants(s) for k in keys for s in [k[1]] + raw[k]])
    out, at = {}, 0
    for ch, _ in keys:
        n = len(raw[(ch, _)]) + 1
        sign, verse = flat[at], flat[at + 1:at + n]
        at += n
        if sign not in SIGN_BRANCH:
            raise SourceError('星學大成 變段 %s: unknown sign %s' % (ch, sign))
        br = SIGN_BRANCH[sign]
        if len(verse) < 4 or any(len(x) != 7 for x in verse[:4]):
            raise SourceError('星學大成 變段 %s%s: %s' % (ch, sign, verse))
        out[(ch, br)] = verse[:4]
    if len(out) != 132:
        raise SourceError('星學大成 變段: %d verses' % len(out))
    return out


def keep_rows(secs):
    """守: 500 + 12 x body + branch."""
    first = zhang_branch_quatrains(secs)
    second = xxdc_sign_quatrains()
    rows = {}
    for b, ch in enumerate(BODIES):
        for k, br in enumerate(BRANCHES):
            title = ch + '守' + ('戍' if (ch, br) == ('日', '戌') else br) + '宫：'
            rows[500 + 12 * b + k] = (title + '、'.join(first[(ch, br)]) + '；' +
                                      '、'.join(second[(ch, br)]) + '。')
    return rows


def zhang_house_texts(secs):
    """{(body, house 0..11): text after the label} of the 琅玕经 sections."""
    out = {}
    for ch, text in zhang_body_sections(secs, '照宫').items():
        pos = 0
        starts = []
        for h, label in enumerate(ZHANG_HOUSES):
            # 土奴仆 is labelled 十奴仆 in the edition.
            lab = ('[土十]' if (ch, h) == ('土', 5) else ch) + label + '[：；]?'
            m = re.compile(lab).search(text, pos)
            if not m:
                raise SourceError('张果星宗 照宫 %s%s not found' % (ch, label))
            starts.append((m.start(), m.end()))
            pos = m.end()
        for h, (s, e) in enumerate(starts):
            end = starts[h + 1][0] if h + 1 < len(starts) else len(text)
            out[(ch, h)] = text[e:end]
    return out


def sun_ascendant_quatrains():
    """The first two 詩斷 quatrains of 太阳 in 命宫 (星學大成 卷十八)."""
    lines = sources.xxdc_lines(18)
    i = next(k for k, (n, _, _) in enumerate(lines) if n == 381)
    verse = []
    for n, indent, text in lines[i + 1:]:
        if text == '財帛宫':
            break
        if indent >= 2:
            if text.startswith('詩'):
                text = text[2:]
            verse.extend(x for x in text.split('\u3000') if x)
    verse = sources.opencc_t2s([sources.normalize_variants(x) for x in verse])
    if len(verse) < 8 or any(len(x) != 7 for x in verse[:8]):
        raise SourceError('星學大成 太阳命宫: %s' % verse)
    return verse[0:4], verse[4:8]


def fly_rows(secs):
    """飞: 700 + 20 x house + body, houses 0..9."""
    texts = zhang_house_texts(secs)
    rows = {}
    for b, ch in enumerate(BODIES):
        for h in range(10):
            rid = 700 + 20 * h + b
            if rid in TITLE_ONLY:
                continue
            title = ch + '飞' + FLY_HOUSES[h] + '宫，'
            t = texts[(ch, h)]
            if h == 0:
                eight = take_verse(t, 0, 8, 5)
                k = t.find('又曰')
                quatrain = take_verse(t, k + 3, 4, 7) if k >= 0 else None
                if eight is None or quatrain is None:
                    raise SourceError('张果星宗 %s命宫 does not parse' % ch)
                if ch == '日':
                    first, second = sun_ascendant_quatrains()
                    note = t[t.find('此以太阳在命宫'):]
                    rows[rid] = (title + '、'.join(first) + '；' + '、'.join(second) + '；' +
                                 '、'.join(quatrain) + '。' + note)
                else:
                    rows[rid] = title + '、'.join(quatrain) + '；' + '、'.join(eight) + '。'
            else:
                lines = take_verse(t, 0, 4, 7)
                if lines is None:
                    raise SourceError('张果星宗 %s house %d does not parse: %s' % (ch, h, t[:60]))
                rows[rid] = title + '、'.join(lines) + '。'
    rows.update({k: v for k, v in TITLE_ONLY.items() if k >= 700})
    return rows


# 星學大成 volume and line range of each body's 行度, 入宫 and 同宫 parts.
XXDC_JUDGEMENT_LINES = {'木': (14, 297, 398), '火': (15, 300, 396), '土': (16, 306, 390),
                        '金': (16, 837, 931), '水': (17, 293, 395), '日': (18, 243, 380),
                        '月': (19, 219, 325), '气': (19, 731, 790), '孛': (20, 300, 358),
                        '罗': (21, 298, 320), '计': (22, 276, 299)}
JUDGEMENT_KINDS = {'度': 'D', '宫': 'G', '同': 'T'}
# The longest body-and-lord entry, title included, between its ★ and its
# line break.
MAX_JUDGEMENT_CHARS = 112


def xxdc_judgement_sections():
    keys = list(XXDC_JUDGEMENT_LINES)
    raw = []
    for k in keys:
        vol, a, z = XXDC_JUDGEMENT_LINES[k]
        raw.append(''.join(t for n, _, t in sources.xxdc_lines(vol) if a <= n <= z))
    conv = sources.opencc_t2s([sources.normalize_variants(t) for t in raw])
    return dict(zip(keys, conv))


def strip_punct(text):
    return ''.join(c for c in text if c not in PUNCT)


def judgement_entries():
    """Reads judgements.txt, checks each line against 星學大成 and returns
    {(kind letter, a, b): text with its ★, title and line break}."""
    sections = xxdc_judgement_sections()
    out = {}
    with open(os.path.join(HERE, 'judgements.txt'), encoding='utf-8') as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip('\n')
            if not line or line.startswith('#'):
                continue
            fields = line.split('\t')
            kind, key, text = fields[0], fields[1], fields[2]
            x, y = key.split(' ')
            a, b = BODIES.index(x), BODIES.index(y)
            probe = strip_punct(text)
            for pair in (fields[3].split(' ') if len(fields) > 3 else []):
                new, old = pair.split('<')
                probe = probe.replace(new, old)
            sec = sections[x]
            ok = any(p in sec for p in {probe, probe.replace('子女', '男女')})
            if not ok and probe.startswith('主'):
                ok = any(p[1:] in sec for p in {probe, probe.replace('子女', '男女')})
            if not ok:
                raise SourceError('judgements.txt line %d is not in 星學大成: %s' % (n, text))
            if kind == '度':
                title = x + '入' + y + '度：'
            elif kind == '宫':
                title = x + '入' + y + '宫：'
            else:
                title = x + ('紫' if y == '气' else y) + '同宫：'
                if not (a < b and a <= 6):
                    raise SourceError('judgements.txt line %d: pair out of order' % n)
            k = (JUDGEMENT_KINDS[kind], a, b)
            if k in out:
                raise SourceError('judgements.txt line %d: key given twice' % n)
            out[k] = '★' + title + text + '\r\n'
    return out


# House names in the 主飞入 titles, houses 0..11.
LORD_HOUSES = ['命', '财帛', '兄弟', '田宅', '子女', '奴仆', '配偶', '疾厄', '迁移', '官禄', '福德', '心相']
PORTRAIT_LABELS = ('外型：', '容貌：', '气质：', '潜在特性：')
IDEOGRAPHIC_INDENT = '\u3000' * 3


def read_written(name):
    """Blocks of a written_*.txt file: {id: (header words, [lines])}."""
    blocks, current = {}, None
    with open(os.path.join(HERE, name), encoding='utf-8') as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip('\n').strip()
            if not line or line.startswith('#'):
                continue
            if line.startswith('@'):
                words = line[1:].split()
                current = int(words[0])
                if current in blocks:
                    raise SourceError('%s line %d: id %d given twice' % (name, n, current))
                blocks[current] = (words[1:], [])
            elif current is None:
                raise SourceError('%s line %d: text before the first id' % (name, n))
            else:
                blocks[current][1].append(line)
    return blocks


# The lord of A standing in B and the lord of B standing in A are different
# matters (A's affairs carried into B's domain, and B's into A's); texts of
# such a mirror pair that read alike (difflib ratio at or above this) are
# refused.
LORD_MIRROR_LIMIT = 0.5


def lord_mirror_ratios(blocks):
    """[(ratio, id, mirror id)] of the 66 mirror pairs, most alike first."""
    pairs = []
    for stand in range(12):
        for ruled in range(stand + 1, 12):
            a, b = 1000 + 12 * stand + ruled, 1000 + 12 * ruled + stand
            if a in blocks and b in blocks:
                ratio = difflib.SequenceMatcher(None, ''.join(blocks[a][1]), ''.join(blocks[b][1])).ratio()
                pairs.append((ratio, a, b))
    return sorted(pairs, reverse=True)


def check_lord_mirrors(blocks):
    alike = [p for p in lord_mirror_ratios(blocks) if p[0] >= LORD_MIRROR_LIMIT]
    if alike:
        raise SourceError('written_lords.txt: mirror texts read alike (difflib ratio >= %.2f): %s' % (
            LORD_MIRROR_LIMIT, ', '.join('%d/%d %.3f' % (a, b, r) for r, a, b in alike)))


def lord_rows():
    """主飞入: 1000 + 12 x house where the lord stands + house it rules."""
    blocks = read_written('written_lords.txt')
    check_lord_mirrors(blocks)
    rows = {}
    for stand in range(12):
        for ruled in range(12):
            rid = 1000 + 12 * stand + ruled
            if rid not in blocks:
                raise SourceError('written_lords.txt: id %d missing' % rid)
            paras = blocks[rid][1]
            for k, p in enumerate(paras, 1):
                lead = '.' if (rid == 1010 and k == 1) else '%d.' % k
                if not p.startswith(lead) or p[len(lead):len(lead) + 1].isdigit():
                    raise SourceError('written_lords.txt %d: paragraph %d opens with %s' % (rid, k, p[:4]))
            rows[rid] = LORD_HOUSES[ruled] + '主飞入' + LORD_HOUSES[stand] + ':' + ''.join(paras)
    if len(blocks) != 144:
        raise SourceError('written_lords.txt: %d texts, 144 expected' % len(blocks))
    return rows


def portrait_rows():
    """立命 portraits: 1200 + 2 x branch (outward), 1201 + 2 x branch (mask)."""
    blocks = read_written('written_portraits.txt')
    rows = {}
    for k, br in enumerate(BRANCHES):
        title = '立命' + br + '宫：'
        outward = blocks.get(1200 + 2 * k)
        mask = blocks.get(1201 + 2 * k)
        if outward is None or mask is None:
            raise SourceError('written_portraits.txt: the texts of %s are missing' % br)
        paras = outward[1]
        if not paras[0].startswith('外型：') or not all(p.startswith(PORTRAIT_LABELS) for p in paras):
            raise SourceError('written_portraits.txt %d: paragraphs must open with a label' % (1200 + 2 * k))
        rows[1200 + 2 * k] = title + '\r\n' + ''.join('\r\n' + IDEOGRAPHIC_INDENT + p for p in paras)
        if not mask[1][0].startswith('你出生时所配戴的面具是「'):
            raise SourceError('written_portraits.txt %d: the mask sentence comes first' % (1201 + 2 * k))
        rows[1201 + 2 * k] = title + ''.join(mask[1])
    if len(blocks) != 24:
        raise SourceError('written_portraits.txt: %d texts, 24 expected' % len(blocks))
    return rows


def build_catalogue():
    """Every text of the catalogue: ({id: text}, {(kind, a, b): text})."""
    secs = sources.zhang_sections()
    verses = {}
    verses.update(mansion_rows(secs))
    verses.update(keep_rows(secs))
    verses.update(fly_rows(secs))
    verses.update({k: v for k, v in TITLE_ONLY.items()})
    verses.update(lord_rows())
    verses.update(portrait_rows())
    lords = judgement_entries()
    check_catalogue(verses, lords)
    return verses, lords


def check_catalogue(verses, lords):
    expected = (list(range(100, 128)) + list(range(130, 158)) + list(range(160, 188)) +
                [b + m for b in MANSION_VERSE_BASE[3:] for m in range(28)] +
                list(range(500, 632)) +
                [700 + 20 * h + b for h in range(10) for b in range(11)] +
                list(range(1000, 1144)) + list(range(1200, 1224)))
    if sorted(expected) != sorted(verses) or len(verses) != 718:
        raise SourceError('the verse table has %d ids, not the 718 expected' % len(verses))
    if len(lords) != 174:
        raise SourceError('the body-and-lord table has %d entries, not 174' % len(lords))
    for key, text in lords.items():
        # Characters between the ★ and the line break.
        if len(text) - 3 > MAX_JUDGEMENT_CHARS:
            raise SourceError('%s: %d characters, at most %d' % (key, len(text) - 3, MAX_JUDGEMENT_CHARS))
    for key, text in list(verses.items()) + list(lords.items()):
        try:
            text.encode('gbk')
        except UnicodeEncodeError as e:
            raise SourceError('%s: %r is not a GBK character' % (key, text[e.start]))


def escape(text):
    return text.replace('\\', '\\\\').replace('\r', '\\r').replace('\n', '\\n').replace('\t', '\\t')


def render(verses, lords):
    out = ['# Lumtar verse catalogue. Generated by tools/analysis/gen_catalogue.py from',
           '# the classical sources and the texts written for Lumtar (see CATALOGUE.md);',
           '# edit the generator\'s inputs, not this file.',
           '# One entry a line: KEY<TAB>TEXT. KEY is a verse id, or D (body enters a',
           '# lord\'s mansion), G (a lord\'s palace) or T (two bodies share a palace)',
           '# with two body indices. In TEXT \\r, \\n, \\t and \\\\ stand for CR, LF,',
           '# TAB and a backslash.']
    for k in sorted(verses):
        out.append('%d\t%s' % (k, escape(verses[k])))
    order = {'D': 0, 'G': 1, 'T': 2}
    for k in sorted(lords, key=lambda k: (order[k[0]], k[1], k[2])):
        out.append('%s %d %d\t%s' % (k[0], k[1], k[2], escape(lords[k])))
    return '\n'.join(out) + '\n'


def report_similarity():
    """Prints the most alike mirror pairs; 1 when a pair is refused."""
    try:
        blocks = read_written('written_lords.txt')
    except SourceError as e:
        print('gen_catalogue: ' + str(e), file=sys.stderr)
        return 1
    ratios = lord_mirror_ratios(blocks)
    for ratio, a, b in ratios[:5]:
        print('%.3f  %d %s主飞入%s  /  %d %s主飞入%s' % (
            ratio, a, LORD_HOUSES[(a - 1000) % 12], LORD_HOUSES[(a - 1000) // 12],
            b, LORD_HOUSES[(b - 1000) % 12], LORD_HOUSES[(b - 1000) // 12]))
    alike = sum(1 for r in ratios if r[0] >= LORD_MIRROR_LIMIT)
    print('%d mirror pairs, %d at or above %.2f' % (len(ratios), alike, LORD_MIRROR_LIMIT))
    return 1 if alike else 0


def main(argv):
    if '--similarity' in argv:
        return report_similarity()
    try:
        verses, lords = build_catalogue()
    except SourceError as e:
        print('gen_catalogue: ' + str(e), file=sys.stderr)
        return 1
    text = render(verses, lords)
    if '--check' in argv:
        with open(OUTPUT, encoding='utf-8') as f:
            same = f.read() == text
        print('catalogue is up to date' if same else 'catalogue differs from its sources')
        return 0 if same else 1
    with open(OUTPUT, 'w', encoding='utf-8', newline='\n') as f:
        f.write(text)
    print('wrote %s: %d verses, %d body-and-lord entries' % (OUTPUT, len(verses), len(lords)))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
