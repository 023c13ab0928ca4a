"""The browser's side of the plot's case.

browser.py page SVG: writes on standard output a page that parses SVG as XML,
shows it inline at the page's corner, measures it and writes what it found
as JSON into its element "verdict".
browser.py verdict DOM PNG: reads that JSON from the page as the browser left
it (--dump-dom) and the screenshot, and prints what they show.
"""
import html
import json
import re
import struct
import sys
import zlib

SCRIPT = """
const found = {problems: []};
window.addEventListener('error', e => found.problems.push('error: ' + e.message));
const parsed = new DOMParser().parseFromString(SVG, 'image/svg+xml');
if (parsed.getElementsByTagName('parsererror').length) found.problems.push('not well-formed');
const svg = document.importNode(parsed.documentElement, true);
document.body.insertBefore(svg, document.body.firstChild);
const box = svg.getBoundingClientRect();
const within = (b, o) => b.left >= o.left - 0.5 && b.right <= o.right + 0.5 &&
                         b.top >= o.top - 0.5 && b.bottom <= o.bottom + 0.5;
found.size = [box.width, box.height];
found.stated = [svg.width.baseVal.value, svg.height.baseVal.value];
const texts = [...svg.querySelectorAll('text')];
found.texts = texts.length;
found.stray = texts.filter(t => {
  const b = t.getBoundingClientRect();
  return !(b.width > 0 && within(b, box));
}).map(t => t.textContent);
found.panels = [...svg.querySelectorAll('g.panel')].map(panel => {
  const labels = [...panel.querySelectorAll('text.bar-count')];
  // A bar's count is written right over it: inside its width, touching its top.
  const bars = [...panel.querySelectorAll('rect.bar')].map(bar => {
    const b = bar.getBoundingClientRect();
    const count = bar.querySelector('title').textContent.split(' ')[0];
    const written = labels.some(t => {
      const l = t.getBoundingClientRect();
      return t.textContent === count && l.left >= b.left - 1 && l.right <= b.right + 1 &&
             l.bottom <= b.top + 1 && l.bottom >= b.top - 8;
    });
    return {count: Number(count), written};
  });
  const number = (selector, pattern) =>
      Number(panel.querySelector(selector).textContent.match(pattern)[1]);
  return {bars, inside: number('text.counts', /(\\d+) inside/),
          pairs: number('text.counts', /^(\\d+) pairs/),
          outside: number('text.outside', /(\\d+)$/),
          bands: [...panel.querySelectorAll('text.band-count')].map(t => Number(t.textContent)),
          curve: panel.querySelectorAll('polyline').length};
});
document.getElementById('verdict').textContent = JSON.stringify(found);
"""


def page(svg_path):
    svg = open(svg_path, encoding='utf-8').read()
    script = 'const SVG = ' + json.dumps(svg) + ';' + SCRIPT
    print('<!DOCTYPE html><html><head><meta charset="utf-8"></head>'
          '<body style="margin:0"><pre id="verdict">the script did not run</pre>'
          '<script>' + script.replace('</', '<\\/') + '</script></body></html>')


def pixels(png_path):
    """The screenshot's width, height and its pixels as RGB triples (8-bit RGB or RGBA)."""
    data = open(png_path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', 'not a PNG'
    pos, chunks = 8, {}
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        chunks.setdefault(kind, []).append(data[pos + 8:pos + 8 + length])
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', chunks[b'IHDR'][0])
    assert depth == 8 and colour in (2, 6) and interlace == 0, 'an unexpected PNG layout'
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(b''.join(chunks[b'IDAT']))
    stride = width * step
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up, corner = previous[i], previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                near = min((abs(p - left), 0, left), (abs(p - up), 1, up), (abs(p - corner), 2, corner))
                line[i] = (line[i] + near[2]) & 255
        rows.append(line)
        previous = line
    colours = [tuple(row[i:i + 3]) for row in rows for i in range(0, stride, step)]
    return width, height, colours


def verdict(dom_path, png_path):
    dom = open(dom_path, encoding='utf-8').read()
    found = json.loads(html.unescape(re.search(r'<pre id="verdict">(.*?)</pre>', dom, re.S).group(1)))
    size = '%g x %g' % tuple(found['size'])
    if found['size'] == found['stated'] and not found['problems']:
        print('page: the SVG is well-formed and renders at', size, 'as it states, without an error')
    else:
        print('page: renders at', size, 'stating %g x %g;' % tuple(found['stated']), found['problems'])
    print('texts: %d, each drawn inside the plot' % found['texts'] if not found['stray']
          else 'texts drawn outside the plot or not at all: %s' % found['stray'])
    for number, panel in enumerate(found['panels'], 1):
        bars = sum(bar['count'] for bar in panel['bars'])
        written = all(bar['written'] for bar in panel['bars'])
        print('panel %d: %d pairs; bars hold %d, %s %d inside; bands hold %d, %s %d outside; %s; %s'
              % (number, panel['pairs'], bars, 'as' if bars == panel['inside'] else 'NOT',
                 panel['inside'], sum(panel['bands']),
                 'as' if sum(panel['bands']) == panel['outside'] else 'NOT', panel['outside'],
                 'each bar\'s count written over it' if written else 'a bar WITHOUT its count',
                 'the expected curve drawn' if panel['curve'] else 'no curve'))
    width, height, colours = pixels(png_path)
    bar = sum(1 for c in colours if c == (0x44, 0x77, 0xaa))
    curve = sum(1 for c in colours if c == (0xee, 0x77, 0x33))
    print('screenshot: %d x %d, %s' % (width, height, 'bars and curve painted'
                                        if bar > 1000 and curve > 100 else 'bars or curve MISSING'))


if __name__ == '__main__':
    page(sys.argv[2]) if sys.argv[1] == 'page' else verdict(sys.argv[2], sys.argv[3])
