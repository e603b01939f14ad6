"""Readers for the two classical sources of the verse catalogue.

Both readers return simplified text: 《张果星宗》 is simplified already,
《星學大成》 is converted with opencc after its variant graphs have been
brought to their standard traditional forms (opencc leaves those alone).
"""
import os
import re
import subprocess

SOURCES = os.environ.get('LUMTAR_VERSE_SOURCES', '/work/shared/sources/verses')
ZHANG_FILE = '张果星宗_卷十二至十五_节录.txt'
XXDC_DIR = '星學大成_KR3g0041'

# Variant graphs of the 四库 transcription -> standard traditional forms.
VARIANTS = {
    '㑹': '會', '㫁': '斷', '髙': '高', '逺': '遠', '宻': '密', '厯': '歷', '䘮': '喪',
    '𤣥': '玄', '㬋': '睺', '隂': '陰', '叚': '段', '寳': '寶', '徳': '德', '尅': '剋',
    '㸔': '看', '庒': '莊', '鴈': '雁', '竒': '奇', '㣲': '微', '䧟': '陷', '貎': '貌',
    '亷': '廉', '迯': '逃', '寜': '寧', '隠': '隱', '穏': '穩', '犇': '奔', '戯': '戲',
    '湏': '須', '逄': '逢', '觧': '解', '囬': '回', '踈': '疏', '乗': '乘', '苐': '第',
    '歩': '步', '冦': '寇', '滛': '淫', '壊': '壞', '夀': '壽', '䕃': '蔭', '歳': '歲',
    '嵗': '歲', '栁': '柳', '徃': '往', '恠': '怪', '乹': '乾', '勲': '勳', '曺': '曹',
    '凢': '凡', '圎': '圓', '寛': '寬', '亾': '亡', '㐫': '凶', '澁': '澀', '汚': '污',
    '圗': '圖', '昩': '昧', '氷': '冰', '叅': '參', '乆': '久', '畧': '略', '纒': '纏',
    '䝉': '蒙', '剏': '創', '㓜': '幼', '闗': '關', '㓂': '寇', '晹': '暘', '瑯': '琅',
    '毎': '每', '歴': '歷', '妬': '妒', '劒': '劍', '癈': '廢', '舎': '舍', '鬭': '鬥',
    '覇': '霸', '炁': '氣', '羣': '群', '衆': '眾', '脩': '修', '鬬': '鬥', '姦': '奸',
    '㾮': '疫', '爕': '燮', '筭': '算', '麤': '粗', '蔕': '蒂', '盖': '蓋',
}
# Slips of opencc's t2s conversion for this text, mended after conversion.
T2S_SLIPS = [
    ('干坤', '乾坤'), ('干象', '乾象'), ('干元', '乾元'),
    ('宫商角征羽', '宫商角徵羽'),
]


# Variant graphs left in the simplified text of either book -> standard
# simplified forms, and slips of either edition mended (each noted).
SIMPLIFIED_FIXES = [
    ('鳯', '凤'), ('葢', '盖'), ('夘', '卯'), ('羙', '美'), ('顕', '显'), ('飬', '养'),
    ('髪', '发'), ('軰', '辈'), ('畨', '番'), ('寃', '冤'), ('讐', '雠'), ('黒', '黑'),
    ('増', '增'), ('刼', '劫'), ('\U000260B3', '紧'), ('鄷', '酆'), ('纔', '才'), ('逹', '达'),
    ('榖', '谷'), ('祼形', '裸形'), ('筭', '算'), ('鎗', '枪'),
    ('鴈', '雁'), ('蔕', '蒂'), ('麤', '粗'),
    ('干宫', '乾宫'),          # 亥 is the 乾 palace; opencc and the simplified edition both slip
    ('己宫日是', '巳宫日是'),  # 双女 is the 巳 palace (己/巳 confusion)
    ('已上罗曜', '巳上罗曜'),  # the same confusion (已/巳)
    ('壬巳生人', '壬己生人'),  # stems are meant: 壬 and 己
    ('巳癸出人', '己癸出人'),  # stems are meant: 己 and 癸
    ('戍归期', '戌归期'),      # 戌 (the 白羊 palace), not 戍
    ('若能员', '若能圆'),      # 員 for 圓 (若能圆夜照, the full moon), simplified as 员
    ('员顶', '圆顶'),          # the same: 方袍圆顶, a monk's robe and shaven head
    ('匕强', '七强'),          # 七强 (the seven strong palaces); 匕 is a misprint
]


def fix_simplified(text):
    for a, b in SIMPLIFIED_FIXES:
        text = text.replace(a, b)
    return text


def opencc_t2s(texts):
    """Converts a list of traditional texts with one opencc call."""
    sep = '\n\u2063\n'
    joined = sep.join(texts)
    out = subprocess.run(['opencc', '-c', 't2s.json'], input=joined, capture_output=True,
                         text=True, check=True).stdout
    parts = out.split(sep)
    assert len(parts) == len(texts), 'opencc changed the separators'
    res = []
    for p in parts:
        for a, b in T2S_SLIPS:
            p = p.replace(a, b)
        res.append(fix_simplified(p))
    return res


def normalize_variants(text):
    return ''.join(VARIANTS.get(c, c) for c in text)


def zhang_sections():
    """《张果星宗》: {heading: body text}, the first section of each heading."""
    with open(os.path.join(SOURCES, ZHANG_FILE), encoding='utf-8') as f:
        t = f.read()
    t = t.replace('\u3000', '').replace('\n', '').replace(' ', '')
    t = fix_simplified(t.replace('罗?', '罗睺'))
    t = t.replace('天？', '天□')  # a character the edition could not encode
    parts = re.split(r'(【[^】]*】)', t)
    secs = {}
    for i in range(1, len(parts), 2):
        secs.setdefault(parts[i], parts[i + 1])
    return secs


def xxdc_lines(volume):
    """《星學大成》 volume `volume`: list of (raw line number, indent, text)."""
    path = os.path.join(SOURCES, XXDC_DIR, 'KR3g0041_%03d.txt' % volume)
    out = []
    with open(path, encoding='utf-8') as f:
        for n, ln in enumerate(f, 1):
            ln = ln.rstrip('\n')
            if ln.startswith('<pb'):
                continue
            ln = ln.replace('¶', '')
            indent = len(ln) - len(ln.lstrip('\u3000'))
            out.append((n, indent, ln.strip('\u3000')))
    return out
