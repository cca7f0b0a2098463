// Reads an 8-bit RGB or RGBA PNG (as Chromium writes screenshots) and prints
// JSON: the share of pixels that differ from the background, and per layer
// colour the share of pixels nearest to it. Layer colours are matched along
// their shading (a lit or shadowed face is the colour scaled), so that a
// park's green counts whichever way its faces turn.
//
//   node png_stats.js FILE BACKGROUND_HEX [NAME=HEX ...]
'use strict';
const fs = require('fs');
const zlib = require('zlib');

function decode(file) {
  const png = fs.readFileSync(file);
  if (png.readUInt32BE(0) !== 0x89504e47) throw new Error(`${file}: not a PNG`);
  let at = 8;
  let width = 0, height = 0, channels = 0;
  const data = [];
  while (at < png.length) {
    const length = png.readUInt32BE(at);
    const type = png.toString('latin1', at + 4, at + 8);
    const body = png.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const depth = body[8], colour = body[9], interlace = body[12];
      if (depth !== 8 || (colour !== 2 && colour !== 6) || interlace !== 0)
        throw new Error(`${file}: only 8-bit RGB(A) without interlace`);
      channels = colour === 2 ? 3 : 4;
    } else if (type === 'IDAT') {
      data.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = Buffer.alloc(height * stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; x++) {
      const a = x >= channels ? pixels[y * stride + x - channels] : 0;
      const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      let v = line[x];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      pixels[y * stride + x] = v & 0xff;
    }
  }
  return { width, height, channels, pixels };
}

function rgb(hex) {
  const v = parseInt(hex.replace('#', ''), 16);
  return [(v >> 16) & 255, (v >> 8) & 255, v & 255];
}

const [file, background, ...layers] = process.argv.slice(2);
const image = decode(file);
const bg = rgb(background);
const colours = layers.map((arg) => {
  const [name, hex] = arg.split('=');
  return { name, rgb: rgb(hex), pixels: 0 };
});
let scene = 0;
const total = image.width * image.height;
for (let i = 0; i < total; i++) {
  const p = [0, 1, 2].map((k) => image.pixels[i * image.channels + k]);
  if (p.every((v, k) => Math.abs(v - bg[k]) <= 3)) continue;
  scene++;
  let best = null, bestDistance = 12;
  for (const c of colours) {
    const dot = p[0] * c.rgb[0] + p[1] * c.rgb[1] + p[2] * c.rgb[2];
    const norm = c.rgb[0] ** 2 + c.rgb[1] ** 2 + c.rgb[2] ** 2 || 1;
    const k = Math.min(1.15, Math.max(0.55, dot / norm));
    const d = Math.hypot(p[0] - k * c.rgb[0], p[1] - k * c.rgb[1], p[2] - k * c.rgb[2]);
    if (d < bestDistance) best = c, bestDistance = d;
  }
  if (best) best.pixels++;
}
const layerShares = {};
for (const c of colours) layerShares[c.name] = c.pixels / total;
console.log(JSON.stringify({ width: image.width, height: image.height, scene: scene / total, layers: layerShares }));
