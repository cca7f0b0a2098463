// Blob pack files (layout in docs/blob-pack.md): the grid set-up, layer
// names and a sequence of model requests, each an origin and its blobs.
//
// pack = {
//   grid: {cellsInRow, cellsInCol, bounds: [x1, y1, x2, y2]},
//   layerNames: Map(layerId -> name),
//   requests: [{x, y, blobs: [{id, type, layerId, cellIndex, payload: Uint8Array}]}],
// }

import {ByteReader, ByteWriter} from './bytes.js';

export const MAGIC = 'MSHYPACK';
export const VERSION = 1;
const MIN_LAYER_NAME = 6;
const MIN_REQUEST = 20;
const MIN_BLOB = 24;
const encoder = new TextEncoder();
const decoder = new TextDecoder('utf-8', {fatal: true});

export function writePack(pack) {
    const w = new ByteWriter(1 << 16);
    w.bytes(encoder.encode(MAGIC)).u16(VERSION).u16(0);
    w.i32(pack.grid.cellsInRow).i32(pack.grid.cellsInCol);
    for (const v of pack.grid.bounds) w.f64(v);

    const names = [...pack.layerNames].sort((a, b) => a[0] - b[0]);
    w.u32(names.length);
    for (const [id, name] of names) {
        const text = encoder.encode(name);
        w.i32(id).u16(text.length).bytes(text);
    }

    w.u32(pack.requests.length);
    for (const request of pack.requests) {
        w.f64(request.x).f64(request.y).u32(request.blobs.length);
        for (const blob of request.blobs) {
            w.u64(blob.id).i32(blob.type).i32(blob.layerId).i32(blob.cellIndex);
            w.u32(blob.payload.length).bytes(blob.payload);
        }
    }
    return w.result();
}

// Reads a pack back; throws on anything malformed, as the C++ reader refuses it.
export function readPack(bytes) {
    const r = new ByteReader(bytes);
    const magic = new TextDecoder().decode(r.take(8, 'magic'));
    if (magic !== MAGIC) throw new Error('not a blob pack: wrong magic');
    const version = r.u16('version');
    if (version !== VERSION) throw new Error(`unsupported blob pack version ${version}`);
    if (r.u16('flags') !== 0) throw new Error('unsupported blob pack flags');

    const grid = {cellsInRow: r.i32(), cellsInCol: r.i32(), bounds: [r.f64(), r.f64(), r.f64(), r.f64()]};
    const count = (min, what) => {
        const n = r.u32(what);
        if (n > r.remaining / min) throw new RangeError(`${n} ${what} cannot fit in ${r.remaining} bytes`);
        return n;
    };

    const layerNames = new Map();
    for (let i = count(MIN_LAYER_NAME, 'layer names'); i > 0; --i) {
        const id = r.i32('layer id');
        const name = decoder.decode(r.take(r.u16('name length'), 'layer name'));
        if (layerNames.has(id)) throw new Error(`layer ${id} named twice`);
        layerNames.set(id, name);
    }

    const requests = [];
    for (let i = count(MIN_REQUEST, 'requests'); i > 0; --i) {
        const request = {x: r.f64('origin'), y: r.f64('origin'), blobs: []};
        for (let j = count(MIN_BLOB, 'blobs'); j > 0; --j) {
            request.blobs.push({
                id: r.u64('blob id'),
                type: r.i32('blob type'),
                layerId: r.i32('layer id'),
                cellIndex: r.i32('cell index'),
                payload: r.take(r.u32('payload length'), 'payload'),
            });
        }
        requests.push(request);
    }
    if (r.remaining !== 0) throw new Error(`${r.remaining} bytes after the last request`);
    return {grid, layerNames, requests};
}
