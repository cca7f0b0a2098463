#!/usr/bin/env node
// Converts Mapbox Vector Tiles named z-x-y.mvt (or .mvt.gz) into one blob pack.

import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import {parseArgs} from 'node:util';

import {convertTiles, parseTileName} from '../src/convert.js';
import {writePack} from '../src/pack.js';

const usage = `usage: mvt-to-pack -o OUT.mpk [--tile-size UNITS] TILE.mvt...

Tiles are named z-x-y.mvt (gzip-compressed ones z-x-y.mvt.gz) and share one
zoom level. --tile-size sets the width of a tile in pack units (default: its
width on the ground in metres at the tiles' centre latitude).`;

function fail(message) {
    console.error(`mvt-to-pack: ${message}`);
    process.exit(2);
}

let args;
try {
    args = parseArgs({
        allowPositionals: true,
        options: {output: {type: 'string', short: 'o'}, 'tile-size': {type: 'string'}, help: {type: 'boolean', short: 'h'}},
    });
} catch (e) {
    fail(`${e.message}\n\n${usage}`);
}
if (args.values.help) {
    console.log(usage);
    process.exit(0);
}
if (!args.values.output || args.positionals.length === 0) fail(usage);

let tileSize;
if (args.values['tile-size'] !== undefined) {
    tileSize = Number(args.values['tile-size']);
    if (!(tileSize > 0 && tileSize < 1e6)) fail('--tile-size takes a positive number of units');
}

const tiles = args.positionals.map((file) => {
    const name = path.basename(file).replace(/\.gz$/, '');
    const zxy = parseTileName(name);
    if (!zxy) fail(`${file}: not named z-x-y.mvt`);
    let data;
    try {
        data = fs.readFileSync(file);
        if (file.endsWith('.gz')) data = zlib.gunzipSync(data);
    } catch (e) {
        fail(`${file}: ${e.message}`);
    }
    return {...zxy, data: new Uint8Array(data.buffer, data.byteOffset, data.byteLength)};
});

const pack = convertTiles(tiles, {tileSize});
const bytes = writePack(pack);
fs.writeFileSync(args.values.output, bytes);

const perLayer = new Map();
for (const request of pack.requests) {
    const name = pack.layerNames.get(request.blobs[0].layerId);
    perLayer.set(name, (perLayer.get(name) ?? 0) + 1);
}
const blobs = pack.requests.reduce((n, r) => n + r.blobs.length, 0);
console.log(`${args.values.output}: ${tiles.length} tiles, ${pack.requests.length} requests, ${blobs} blobs, ${bytes.length} bytes`);
console.log(`  grid ${pack.grid.cellsInRow} x ${pack.grid.cellsInCol}, tile ${(pack.grid.bounds[2] / pack.grid.cellsInRow).toFixed(2)} units`);
for (const [name, n] of perLayer) console.log(`  ${name}: ${n} requests`);
