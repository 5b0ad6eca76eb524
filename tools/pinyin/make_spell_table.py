#!/usr/bin/env python3
"""Builds src/engine/names/spell_table.cpp: the syllable list and the index
table of the pinyin conversion (one syllable number per double-byte GBK code).

Run by hand when the reading data changes; the build uses the committed
output and never needs the data:

    python3 tools/pinyin/make_spell_table.py \
        [/usr/share/unicode/Unihan_Readings.txt.bz2] > src/engine/names/spell_table.cpp

Readings come from the Unicode Character Database (Debian package
unicode-data). A character takes its first kMandarin reading when that is one of
the 404 syllables; otherwise the first reading of kHanyuPinyin, then
kXHC1983, then kTGHZ2013 that is. Tone marks are removed; u with diaeresis is
written v where it stands alone after l and n (lv, nv) and u elsewhere (lue,
nue). GBK codes are decoded with the C library's iconv (GBK).
"""

import bz2
import ctypes
import ctypes.util
import os
import sys
import unicodedata

SYLLABLES = """
a ai an ang ao ba bai ban bang bao bei ben beng bi bian biao bie bin bing bo bu ca cai can cang
cao ce cen ceng cha chai chan chang chao che chen cheng chi chong chou chu chuai chuan chuang chui
chun chuo ci cong cou cu cuan cui cun cuo da dai dan dang dao de deng di dia dian diao die ding
diu dong dou du duan dui dun duo e ei en er fa fan fang fei fen feng fou fu ga gai gan gang gao
ge gen geng gong gou gu gua guai guan guang gui gun guo ha hai han hang hao he hei hen heng hong
hou hu hua huai huan huang hui hun huo ji jia jian jiang jiao jie jin jing jiong jiu ju juan jue
jun jv ka kai kan kang kao ke ken keng kong kou ku kua kuai kuan kuang kui kun kuo la lai lan
lang lao le lei leng li lia lian liang liao lie lin ling liu long lou lu luan lue lun luo lv m
ma mai man mang mao me mei men meng mi mian miao mie min ming miu mo mou mu n na nai nan nang nao
ne nei nen neng ni nian niang niao nie nin ning niu nong nou nu nuan nue nuo nv o ou pa pai pan
pang pao pei pen peng pi pian piao pie pin ping po pou pu qi qia qian qiang qiao qie qin qing
qiong qiu qu quan que qun qv ran rang rao re ren reng ri rong rou ru ruan rui run ruo sa sai san
sang sao se sen seng sha shai shan shang shao she shen sheng shi shou shu shua shuai shuan shuang
shui shun shuo si song sou su suan sui sun suo ta tai tan tang tao te teng ti tian tiao tie ting
tong tou tu tuan tui tun tuo wa wai wan wang wei wen weng wo wu xi xia xian xiang xiao xie xin
xing xiong xiu xu xuan xue xun xv ya yan yang yao ye yi yin ying yo yong you yu yuan yue yun za
zai zan zang zao ze zei zen zeng zha zhai zhan zhang zhao zhe zhen zheng zhi zhong zhou zhu zhua
zhuai zhuan zhuang zhui zhun zhuo zi zong zou zu zuan zui zun zuo
""".split()
assert len(SYLLABLES) == 404 and SYLLABLES == sorted(SYLLABLES)
NUMBER = {s: i + 1 for i, s in enumerate(SYLLABLES)}  # 405 is the spare empty entry

# Characters that have no syllable in the table whatever the data says.
NO_SYLLABLE = {"佛", "给", "髟"}

FIELDS = ("kMandarin", "kHanyuPinyin", "kXHC1983", "kTGHZ2013")


def plain(reading):
    """A Unihan reading without tone marks, ü as v after l/n, else u."""
    out = []
    for ch in unicodedata.normalize("NFD", reading.strip().lower()):
        if ch == "\u0308":  # diaeresis: the letter before it is u
            out[-1] = "ü"
        elif unicodedata.combining(ch):
            continue
        else:
            out.append(ch)
    text = "".join(out)
    if text in ("lü", "nü"):
        return text[0] + "v"
    return text.replace("ü", "u")


def readings(field, value):
    """The readings of one field value, in order."""
    if field == "kMandarin":
        return value.split()[:1]  # only the first (preferred) reading
    result = []
    for entry in value.split():
        if ":" in entry:
            result.extend(entry.split(":", 1)[1].split(","))
    return result


def load_unihan(path):
    opener = bz2.open if path.endswith(".bz2") else open
    data = {}
    with opener(path, "rt", encoding="utf-8") as f:
        for line in f:
            if not line.startswith("U+"):
                continue
            code, field, value = line.rstrip("\n").split("\t", 2)
            if field in FIELDS:
                data.setdefault(int(code[2:], 16), {})[field] = value
    return data


def syllable_of(char, data):
    if char in NO_SYLLABLE:
        return 0
    fields = data.get(ord(char), {})
    for field in FIELDS:
        for r in readings(field, fields.get(field, "")):
            n = NUMBER.get(plain(r))
            if n:
                return n
    return 0


class Iconv:
    """GBK -> UTF-8 through the C library's iconv."""

    def __init__(self):
        self.libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        self.libc.iconv_open.restype = ctypes.c_void_p
        self.libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        self.libc.iconv.restype = ctypes.c_size_t
        self.libc.iconv.argtypes = [ctypes.c_void_p] + [ctypes.c_void_p] * 4
        self.cd = self.libc.iconv_open(b"UTF-8", b"GBK")
        if self.cd in (None, ctypes.c_void_p(-1).value):
            sys.exit("iconv cannot convert from GBK")

    def decode(self, raw):
        self.libc.iconv(self.cd, None, None, None, None)  # reset the state
        inbuf = ctypes.create_string_buffer(raw, len(raw))
        outbuf = ctypes.create_string_buffer(16)
        inptr = ctypes.c_char_p(ctypes.addressof(inbuf))
        outptr = ctypes.c_char_p(ctypes.addressof(outbuf))
        inleft = ctypes.c_size_t(len(raw))
        outleft = ctypes.c_size_t(16)
        res = self.libc.iconv(self.cd, ctypes.byref(inptr), ctypes.byref(inleft),
                              ctypes.byref(outptr), ctypes.byref(outleft))
        if res == ctypes.c_size_t(-1).value or inleft.value != 0:
            return None
        return outbuf.raw[: 16 - outleft.value].decode("utf-8")


def covered(lead, trail):
    """The codes whose characters get a syllable: the Chinese characters."""
    if 0xB0 <= lead <= 0xF7 and trail >= 0xA1:
        return True
    if 0x81 <= lead <= 0xA0:
        return True
    if 0xAA <= lead <= 0xFD and trail <= 0xA0:
        return True
    return False


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode/Unihan_Readings.txt"
    if not os.path.exists(path) and os.path.exists(path + ".bz2"):
        path += ".bz2"
    data = load_unihan(path)
    conv = Iconv()
    index = []
    for lead in range(0x81, 0xFF):
        for trail in range(0x40, 0xFF):
            n = 0
            if covered(lead, trail):
                char = conv.decode(bytes([lead, trail]))
                if char is not None and len(char) == 1:
                    n = syllable_of(char, data)
            index.append(n)
    assert len(index) == 126 * 191

    w = sys.stdout.write
    w("// Generated by tools/pinyin/make_spell_table.py from the Unihan reading data\n")
    w("// (" + os.path.basename(path) + "). Do not edit by hand: change the generator and run\n")
    w("// it again.\n\n")
    w('#include "engine/names/spell_data.h"\n\n')
    w("namespace tessaly::engine::spell_data {\n\n")
    w("const char* const kSyllables[kSyllableSlots] = {\n    \"\",\n")
    for i in range(0, len(SYLLABLES), 10):
        w("    " + " ".join('"%s",' % s for s in SYLLABLES[i:i + 10]) + "\n")
    w('    "",  // spare entry, not used by any character\n};\n\n')
    w("// Entry (lead - 0x81) * 191 + (trail - 0x40): syllable number, 0 = none.\n")
    w("const std::uint16_t kIndex[kIndexSize] = {\n")
    for i in range(0, len(index), 16):
        w("    " + " ".join("%d," % n for n in index[i:i + 16]) + "\n")
    w("};\n\n}  // namespace tessaly::engine::spell_data\n")
    sys.stderr.write("%d of %d codes have a syllable\n" % (sum(1 for n in index if n), len(index)))


if __name__ == "__main__":
    main()
