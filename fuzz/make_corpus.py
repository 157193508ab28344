#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target: a handful of realistic
inputs each, including the damaged forms the readers must survive. Run again
after changing it; the files are committed."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def put(target, name, data):
    folder = os.path.join(HERE, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("utf-8")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def i32(n):
    return struct.pack("<i", n)


def text(s):
    b = s.encode("cp1252")
    return i32(len(b)) + b


def website(rule_type, url):
    return i32(rule_type) + text(url)


def window(status, caption, program):
    return i32(status) + text(caption) + text(program)


def log_text(s):
    b = s.encode("cp1252")
    return b + i32(len(b))


def log_session(entries):
    out = i32(0)
    for kind, date, time, source, target in entries:
        out += i32(kind) + log_text(date) + log_text(time) + log_text(source) + log_text(target)
    return out


# websites.dat
sites = (website(1, "shop.example") + website(2, "ads.example/banner") +
         website(3, "*!popups.example") + website(1, "javascript:void(0)") +
         website(2, "c:/pages/local.htm") + website(1, "caf\u00e9.example"))
put("websites_dat", "typical.dat", sites)
put("websites_dat", "empty.dat", b"")
put("websites_dat", "truncated.dat", sites[:-3])
put("websites_dat", "negative_length.dat", website(1, "a.example") + i32(2) + i32(-5) + b"xx")
put("websites_dat", "huge_length.dat", website(1, "a.example") + i32(2) + i32(0x7FFFFFFF) + b"b.example")
put("websites_dat", "blank_and_marker_only.dat", website(2, "   ") + website(2, "*!") + website(4, "x.example"))
put("websites_dat", "two_schemes.dat", website(2, "http://http://x.example"))

# windows.dat
wins = (window(1, "Cheap pills", "_general") + window(2, "Buy now!", "c:\\program files\\other\\other.exe") +
        window(1, "Caf\u00e9 offer", "_general") + window(7, "Other status", "_general"))
put("windows_dat", "typical.dat", wins)
put("windows_dat", "empty.dat", b"")
put("windows_dat", "truncated.dat", wins[:-5])
put("windows_dat", "empty_program.dat", window(2, "Exact", ""))
put("windows_dat", "blank_caption.dat", window(1, "    ", "_general") + window(1, "Kept", "_general"))
put("windows_dat", "huge_length.dat", window(1, "A", "_general") + i32(1) + i32(0x40000000) + b"zz")
put("windows_dat", "long_caption.dat", window(1, "x" * 30000, "_general"))

# log.dat
s1 = log_session([(1, "6/1/2004", "12:00:00 PM", "http://news.example/", "http://ads.example/pop"),
                  (2, "6/1/2004", "12:01:00 PM", "c:\\program files\\other\\other.exe", "Cheap pills")])
s2 = log_session([(1, "6/2/2004", "9:15:00 AM", "", "Survey (Web page dialog)")])
put("log_dat", "two_sessions.dat", s1 + s2)
put("log_dat", "empty.dat", b"")
put("log_dat", "torn_append.dat", s1 + s2[:-6])
put("log_dat", "damaged_middle.dat", s1[:20] + i32(-9) + s1[24:] + s2)
put("log_dat", "huge_length.dat", s1 + i32(0) + i32(1) + b"abc" + i32(0x7FFFFFF0))
put("log_dat", "marks_only.dat", i32(0) * 4)

# servers.lst
put("servers_lst", "typical.lst",
    '"shop.example",#FALSE#\r\n"ads.example",#TRUE#\r\n"http://www.news.example/x?y",#FALSE#\r\n')
put("servers_lst", "bare_and_odd.lst", 'plain.example,#TRUE#\n"unterminated,#FALSE#\n"",#TRUE#\n"a.example" , #true#\n')
put("servers_lst", "empty.lst", b"")
put("servers_lst", "no_newline.lst", '"last.example",#FALSE#')
put("servers_lst", "high_bytes.lst", b'"caf\xe9.example",#TRUE#\r\n"\x81\x8d.example",#FALSE#\r\n')

# settings store: Name=Value lines
put("settings_store", "defaults.txt", "")
put("settings_store", "typical.txt",
    "BlockByDefault=True\nPlayASound=False\nStartMode=2\nSafeKey=20\nAdminPassword=secret\n"
    "Data/URLPrefix=4821930576\nSoundFileName=C:\\sounds\\cork.wav\n")
put("settings_store", "junk.txt",
    "BlockByDefault=yes\nStartMode=&HFFFFFFFF\nSafeKey=1e400\nOffKey=2.5\nKillKeyCombo=3.5\n"
    "BanKeyCombo=  -7  \nData/URLPrefix=1234567890\nWindowKiller=&O777\nCatchErrors=\n")
put("settings_store", "empty_prefix.txt", "Data/URLPrefix=\n")
put("settings_store", "huge_values.txt", "StartMode=99999999999\nAdminPassword=" + "p" * 5000 + "\n")

# stored numbers and Booleans
for i, v in enumerate(["True", "false", " 12 ", "-0", "2.5", "3.5", "&H7FFFFFFF", "&HFFFFFFFF",
                       "&O17777777777", "1e9", "1e10", "1.5e-3", ".5", "+", "e5", "TRUE ", "&H"]):
    put("text_numbers", f"n{i:02}.txt", v)

# browser URLs: two texts split at a NUL byte
put("browser_url", "same_page.txt", "http://www.shop.example/a%20b/\0HTTP://WWW.SHOP.EXAMPLE/A B")
put("browser_url", "query.txt", "http://news.example/x?y=1#z\0http://news.example/x")
put("browser_url", "long.txt", "http://long.example/" + "%41" * 3400 + "\0http://long.example/")
put("browser_url", "local.txt", "C:\\Pages\\Index.htm\0file://c:/pages/index.htm")
put("browser_url", "bad_escapes.txt", "http://e.example/%zz%4%\0%")

# website rule URLs
put("website_url", "typical.txt", "http://www.shop.example/cart/?id=7#top")
put("website_url", "script.txt", "JavaScript:window.open('x')")
put("website_url", "drive.txt", "c:/pages/index.htm")
put("website_url", "unc.txt", "\\\\server\\share\\page one.htm")
put("website_url", "port_user.txt", "ftp://user@files.example:2121/pub/")
put("website_url", "long.txt", "http://a.b.c.example/" + "p/" * 5000)
put("website_url", "unmappable.txt", "http://\u65e5\u672c.example/\U0001F600")

# script-loop rewrite
put("script_loop", "loop.txt", "javascript:while(true){open('http://x.example/')}")
put("script_loop", "two_loops.txt", "javascript:while (a) b(); WHILE(c) d()")
put("script_loop", "no_parens.txt", "javascript:while true do open")
put("script_loop", "reversed.txt", "javascript:while)(")
put("script_loop", "no_loop.txt", "javascript:void(window.close())")

# hook control messages: per message kind, length(2), parent step, wParam(4),
# lParam(4); a NUL, then the caption bytes
def msg(kind, length, step, wparam, lparam):
    return bytes([kind]) + struct.pack("<hB", length, step) + struct.pack("<Ii", wparam, lparam)


cap = b"Survey -- Web Page Dialog"
put("hook_messages", "dialog.bin", msg(1, len(cap), 0, 0x1234, 0) + b"\0" + cap)
put("hook_messages", "advise_loop.bin", msg(1, 0, 1, 0x55, 3) + msg(1, 0, 16, 0x55, 5) + b"\0")
put("hook_messages", "buttons.bin", msg(3, 0, 0, 100, 0x77) + msg(4, 0, 0, 101, 0x77) + msg(2, 0, 0, 9, 0) + b"\0")
put("hook_messages", "other_messages.bin", msg(0x10, 0, 0, 1, 2) + msg(0x0F, 0, 0, 3, 4) + b"\0")
put("hook_messages", "lying_length.bin", msg(1, 3, 0, 1, 0) + msg(0x81, 7000, 0, 1, 0) + b"\0" + cap + b"x" * 100)

# scenario files
examples = os.path.join(os.path.dirname(HERE), "..", "tests", "scenarios")
for name in ["crash.scn", "scripts.scn", "windowwatch.scn"]:
    with open(os.path.join(examples, name), "rb") as f:
        put("scenario_parser", name, f.read())
put("scenario_parser", "quotes.scn", 'window w caption "a \\"b\\" \\\\ c\\r\\n" # comment\nstore Options SafeKey="2 0"\n')
put("scenario_parser", "bad_escape.scn", 'start\nwindow w caption "\\q"\n')
put("scenario_parser", "unterminated.scn", 'start\nwindow w caption "open\n')

# shared rule lists: filter lists and hosts files
put("rule_list", "filter_list.txt",
    "[Adblock Plus 2.0]\n! Title: sample\n||pop.example^$popup\n||ads.example^$popup,third-party\n"
    "||ads.example/go/$popup\n|http://exact.example/x$popup\n@@||ok.example^$popup\n"
    "example.com##.ad\n||n.example^$popup,domain=a.example\n/popunder.$popup\n"
    "/pop[0-9]/$popup\n||w.example/*/x$popup\n||plain.example^\n")
put("rule_list", "hosts.txt",
    "# hosts\n127.0.0.1 localhost\n::1 localhost ip6-localhost\n0.0.0.0 a.example b.example # two\n"
    "127.0.0.1\tc.example\n192.168.0.2 nas.example\n255.255.255.255 broadcasthost\n")
put("rule_list", "domains.txt", "a.example\r\nb.example # note\r\nlocalhost.localdomain\r\n\r\n")
put("rule_list", "utf16_hosts.txt", "\ufeff0.0.0.0 a.example\r\n0.0.0.0 b.example\r\n".encode("utf-16-le"))
put("rule_list", "mixed_bytes.txt",
    b"\xef\xbb\xbf[Adblock Plus 2.0]\r||caf\xc3\xa9.example/\xc3\xa9$popup\r||x.example/\xe9$popup\r"
    b"||a\x00b.example^$popup\r")
put("rule_list", "garbage.txt", b"\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\x00\x00\x01\x00 not a list\n")
put("rule_list", "empty.txt", b"")
put("rule_list", "long_line.txt", "||long.example/" + "p" * 20000 + "$popup\n")
# once broke an invariant: an address inside the path, a slash left at the
# end of a rule's URL, a byte-order mark on a line of its own
put("rule_list", "address_in_path.txt", "[Adblock Plus 2.0]\n||a.example/go/$popuptp://b.example/x$popup\n")
put("rule_list", "slash_at_end.txt", "[Adblock Plus 2.0]\n||a.example/go\\/$popup\n||b.example//$popup\n")
put("rule_list", "mark_alone.txt", b"\xef\xbb\xbf\r[Adblock Plus 2.0]\r||a.example^$popup\r")
