import assert from 'node:assert/strict';
import {describe, test} from 'node:test';

import {ByteReader} from '../src/bytes.js';
import {readPack, writePack} from '../src/pack.js';
import {fanPayload, indexedBlock, labelBlock, labelSegments, streamPayload, utf8Prefix, GeometryType as T} from '../src/payload.js';
import {decodeIndexed, decodeStream} from './decode.js';

const f = Math.fround;

describe('vertex streams', () => {
    test('small steps are delta-coded and decode to the points rounded to tenths', () => {
        const points = [[100.04, 200.06], [101.5, 199.9], [90.3, 210.0]];
        const bytes = streamPayload(points);
        assert.equal(bytes[0], 1);
        assert.equal(bytes.length, 1 + 8 + 4 * 2);
        const back = decodeStream(new ByteReader(bytes));
        const want = [[100.0, 200.1], [101.5, 199.9], [90.3, 210.0]];
        back.forEach((p, i) => {
            assert.ok(Math.abs(p[0] - want[i][0]) < 1e-4 && Math.abs(p[1] - want[i][1]) < 1e-4, `${p} vs ${want[i]}`);
        });
    });

    test('a step beyond an int16 of tenths falls back to plain floats', () => {
        const bytes = streamPayload([[0, 0], [3276.8, 0]]);
        assert.equal(bytes[0], 0);
        assert.deepEqual(decodeStream(new ByteReader(bytes)), [[0, 0], [f(3276.8), 0]]);
        assert.equal(streamPayload([[0, 0], [3276.7, -3276.8]])[0], 1, 'the int16 limits still fit');
    });

    test('a chain whose single-precision sum would drift is written plain', () => {
        const chain = Array.from({length: 20000}, (_, i) => [3000 + i / 10, 0]);
        const bytes = streamPayload(chain);
        assert.equal(bytes[0], 0);
        const back = decodeStream(new ByteReader(bytes));
        assert.ok(back.every(([x], i) => Math.abs(x - chain[i][0]) < 1e-3));
        assert.equal(streamPayload(chain.slice(0, 50))[0], 1, 'a short chain stays delta-coded');
    });

    test('non-finite coordinates are refused, not written', () => {
        assert.throws(() => streamPayload([[0, NaN]]), RangeError);
        assert.throws(() => streamPayload([[Infinity, 0]]), RangeError);
    });
});

describe('indexed blocks', () => {
    test('byte and word indices, delta vertices, outline in the remaining bytes', () => {
        const vertices = [[0, 0], [10, 0], [10, 10], [0, 10]];
        const block = indexedBlock({vertices, strip: [0, 1, 3, 2], outline: [0, 1, 2, 3, 0], height: 2.5});
        assert.deepEqual([...block.subarray(0, 7)], [4, 0, 4, 0, 25, 0, 1 | 2 | 4]);
        const back = decodeIndexed(new ByteReader(block));
        assert.deepEqual(back.strip, [0, 1, 3, 2]);
        assert.deepEqual(back.outline, [0, 1, 2, 3, 0]);
        assert.equal(back.height, 2.5);
        assert.deepEqual(back.vertices, vertices);

        const many = Array.from({length: 300}, (_, i) => [i, i % 2]);
        const wide = decodeIndexed(new ByteReader(indexedBlock({vertices: many, strip: [299, 0, 1], outline: [5]})));
        assert.deepEqual(wide.strip, [299, 0, 1]);
        assert.deepEqual(wide.outline, [5]);
    });

    test('counts beyond the u16 fields and stray indices are refused', () => {
        assert.throws(() => indexedBlock({vertices: []}), RangeError);
        assert.throws(() => indexedBlock({vertices: [[0, 0]], strip: [1]}), RangeError);
        assert.throws(() => indexedBlock({vertices: Array(65536).fill([0, 0])}), RangeError);
    });

    test('heights are stored in tenths and clamped to the u16 field', () => {
        assert.deepEqual([...fanPayload(12.34, []).subarray(0, 2)], [123, 0]);
        assert.deepEqual([...fanPayload(1e9, []).subarray(0, 2)], [0xff, 0xff]);
        assert.deepEqual([...fanPayload(-3, []).subarray(0, 2)], [0, 0]);
    });
});

describe('labels', () => {
    test('a label block has the anchor, the first text without variant, then variant and text', () => {
        const bytes = labelBlock([1, 2], [{variant: 0, text: 'abc'}, {variant: 5, text: 'xy'}]);
        const r = new ByteReader(bytes);
        assert.deepEqual([r.f32(), r.f32(), r.u8()], [1, 2, 3]);
        r.take(3);
        assert.deepEqual([r.u16(), r.u8()], [5, 2]);
        assert.equal(r.remaining, 2);
    });

    test('texts are cut to 255 bytes on a character boundary', () => {
        const text = 'é'.repeat(200);  // 400 bytes
        const cut = utf8Prefix(text, 255);
        assert.equal(cut.length, 254);
        assert.equal(new TextDecoder('utf-8', {fatal: true}).decode(cut), 'é'.repeat(127));
        assert.equal(labelBlock([0, 0], [{variant: 0, text}])[8], 254);
    });

    test('label segments carry every field at its place', () => {
        const bytes = labelSegments([{variant: 3, category: 4, styleId: -7, code: 9, kind: 1, text: 'Main St', points: [[1, 2], [3, 4]]}]);
        const r = new ByteReader(bytes);
        assert.equal(r.u16(), 1);
        assert.deepEqual([r.u32(), r.u32()], [0, 0]);
        assert.deepEqual([r.u16(), r.u8(), r.i32(), r.i32(), r.u8(), r.u16(), r.u16()], [3, 4, -7, 9, 1, 7, 2]);
        assert.equal(new TextDecoder().decode(r.take(7)), 'Main St');
        assert.deepEqual([r.f32(), r.f32(), r.f32(), r.f32()], [1, 2, 3, 4]);
        assert.equal(r.remaining, 0);
    });
});

describe('packs', () => {
    const pack = {
        grid: {cellsInRow: 2, cellsInCol: 1, bounds: [0, 0, 200, 100]},
        layerNames: new Map([[3, 'straße'], [1, 'cell']]),
        requests: [
            {x: 100.5, y: -2, blobs: [{id: 2n ** 64n - 1n, type: T.POINTS, layerId: 3, cellIndex: 65536, payload: streamPayload([[1, 2]])}]},
            {x: 0, y: 0, blobs: []},
        ],
    };

    test('round trip, and the header bytes the C++ reader expects', () => {
        const bytes = writePack(pack);
        assert.equal(new TextDecoder().decode(bytes.subarray(0, 8)), 'MSHYPACK');
        const back = readPack(bytes);
        assert.deepEqual(back.grid, pack.grid);
        assert.deepEqual([...back.layerNames], [[1, 'cell'], [3, 'straße']]);
        assert.equal(back.requests.length, 2);
        assert.equal(back.requests[0].blobs[0].id, 2n ** 64n - 1n);
        assert.deepEqual(back.requests[0].blobs[0].payload, pack.requests[0].blobs[0].payload);
        assert.deepEqual(writePack(back), bytes);
    });

    test('every truncation and a huge count are refused', () => {
        const bytes = writePack(pack);
        for (let cut = 0; cut < bytes.length; ++cut) {
            assert.throws(() => readPack(bytes.slice(0, cut)), undefined, `cut at ${cut}`);
        }
        const huge = bytes.slice();
        new DataView(huge.buffer).setUint32(52, 0xffffffff, true);
        assert.throws(() => readPack(huge), /cannot fit/);
    });
});
