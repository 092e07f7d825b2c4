# Writes the seed files of the music fuzz targets (run from the worktree root).
import struct, sys
def crc(b):
    c=0xFFFF
    for x in b:
        c^=x
        for _ in range(8): c = (c>>1)^0xA001 if c&1 else c>>1
    return c
def settings(): 
    s=bytes([16,5,5,1,0,0,0,255,0,1])+struct.pack('<H',0)+'wait'.encode('utf-16-le').ljust(256,b'\0')+struct.pack('<HH',192,32)
    assert len(s)==272; return s
def entry(path):
    return path.encode('utf-16-le').ljust(520,b'\0')+struct.pack('<HHIIII',1,0,90,10,8<<12,22<<12)
for name,rows in (('empty',[]),('two',['/m/a.mp3','/t/b.txt'])):
    body=struct.pack('<H',0)+b'mfis'+struct.pack('<H',len(rows))+settings()+b''.join(entry(r) for r in rows)
    open(f'tools/fuzz/seeds/playlist/{name}.dat','wb').write(struct.pack('<H',crc(body))+body)
lrc='[ar:A]\n[ti:T]\n[offset:500]\n[00:01.00][00:03.00]Hello\n[00:00.20]zero\n[00:12.5]x\n'
open('tools/fuzz/seeds/lrc/utf8.lrc','wb').write(lrc.encode())
open('tools/fuzz/seeds/lrc/utf16.lrc','wb').write(b'\xff\xfe'+'[00:02]晴天\r\n'.encode('utf-16-le'))
nul='[00:01]one\n[00:02]t\0wo\n[00:03]three\n'  # a NUL ends only its own line
open('tools/fuzz/seeds/lrc/nul.lrc','wb').write(nul.encode())
open('tools/fuzz/seeds/lrc/nul_utf16.lrc','wb').write(b'\xff\xfe'+nul.encode('utf-16-le'))
open('tools/fuzz/seeds/lrc/gbk.lrc','wb').write('[ti:晴天]\n[00:05]故事的小黄花\n'.encode('gbk'))
open('tools/fuzz/seeds/lyric_list/two.xml','wb').write('<lrc id="12" artist="A" title="T"></lrc><lrc id="34" artist="周" title="晴天"></lrc><lrc id="5" artist="x"></lrc>'.encode())
