package quorvan.viewer;

import java.util.List;
import quorvan.meshory.StyleList;
import quorvan.meshory.Tile;

/**
 * Finds the model drawn at a screen point, from the library's pick ray (Camera.lineToPlane: its
 * point on the near plane and its point on the ground, both in model space) and the tiles' model
 * ranges.
 *
 * <p>The rule follows the drawing: 3D layers are drawn last with depth, so the nearest of their
 * triangles that the ray meets wins. Otherwise the flat layers are painted in order, so the last
 * painted of what lies under the ground point wins: a triangle that contains it, a line segment
 * or a point within half its drawn width plus {@link MapStyle#PICK_TOLERANCE_PX} pixels. Only what
 * is drawn can be picked.
 */
final class Picker {
    /** A picked model: its tile and index there. */
    record Pick(BuiltTile tile, int model) {
        Tile.TileModel info() {
            return tile.models.get(model);
        }
    }

    private Picker() {}

    static Pick pick(List<BuiltTile> tiles, List<StyleList.Style> visible, float[] ray,
            float zoom) {
        float ax = ray[0];
        float ay = ray[1];
        float az = ray[2];
        float dx = ray[3] - ax;
        float dy = ray[4] - ay;
        float dz = ray[5] - az;
        Pick best = null;
        float bestT = Float.POSITIVE_INFINITY;
        for (StyleList.Style s : visible) {
            if (!s.view3d() || !MapStyle.drawsFill(s)) {
                continue;
            }
            for (BuiltTile t : tiles) {
                Tile.Bucket b = t.bucket(s.layerId());
                if (b == null) {
                    continue;
                }
                for (int i = b.modelsFirst(); i < b.modelsFirst() + b.modelCount(); ++i) {
                    Tile.TileModel m = t.models.get(i);
                    if (m.triangleVertices() == 0
                            || !rayMeetsBox(t.boxes(), 6 * i, ax, ay, az, dx, dy, dz)) {
                        continue;
                    }
                    for (int v = m.trianglesFirst();
                            v < m.trianglesFirst() + m.triangleVertices(); v += 3) {
                        float hit = rayTriangle(t, v, ax, ay, az, dx, dy, dz);
                        if (hit < bestT) {
                            bestT = hit;
                            best = new Pick(t, i);
                        }
                    }
                }
            }
        }
        if (best != null) {
            return best;
        }
        // Flat layers: the last one painted wins, so walk the painting backwards.
        float gx = ray[3];
        float gy = ray[4];
        for (int k = visible.size() - 1; k >= 0; --k) {
            StyleList.Style s = visible.get(k);
            if (s.view3d()) {
                continue;
            }
            if (best == null) {
                best = flat(tiles, s, 2, gx, gy,
                        (MapStyle.PICK_TOLERANCE_PX + MapStyle.pointSize(s) / 2) / zoom);
            }
            if (best == null && MapStyle.drawsStroke(s)) {
                best = flat(tiles, s, 1, gx, gy,
                        (MapStyle.PICK_TOLERANCE_PX + s.strokeWidth() / 2) / zoom);
            }
            if (best == null && MapStyle.drawsFill(s)) {
                best = flat(tiles, s, 0, gx, gy, 0);
            }
            if (best != null) {
                return best;
            }
        }
        return null;
    }

    // Within one layer the painting goes kind by kind (triangles, lines, points), tile by tile,
    // model by model: the last painted hit of a kind is the last in that order.
    private static Pick flat(List<BuiltTile> tiles, StyleList.Style s, int kind, float gx, float gy,
            float reach) {
        for (int ti = tiles.size() - 1; ti >= 0; --ti) {
            BuiltTile t = tiles.get(ti);
            Tile.Bucket b = t.bucket(s.layerId());
            if (b == null) {
                continue;
            }
            for (int i = b.modelsFirst() + b.modelCount() - 1; i >= b.modelsFirst(); --i) {
                Tile.TileModel m = t.models.get(i);
                float[] box = t.boxes();
                int at = 6 * i;
                if (gx < box[at] - reach || gx > box[at + 3] + reach || gy < box[at + 1] - reach
                        || gy > box[at + 4] + reach) {
                    continue;
                }
                boolean hit = switch (kind) {
                    case 0 -> containsInTriangles(t, m.trianglesFirst(), m.triangleVertices(),
                            gx, gy);
                    case 1 -> nearSegment(t, m.linesFirst(), m.lineVertices(), gx, gy, reach);
                    default -> nearPoint(t, m.pointsFirst(), m.pointVertices(), gx, gy, reach);
                };
                if (hit) {
                    return new Pick(t, i);
                }
            }
        }
        return null;
    }

    private static boolean containsInTriangles(BuiltTile t, int first, int count, float px,
            float py) {
        for (int v = first; v + 2 < first + count; v += 3) {
            float x0 = t.coordinate(v, 0);
            float y0 = t.coordinate(v, 1);
            float x1 = t.coordinate(v + 1, 0);
            float y1 = t.coordinate(v + 1, 1);
            float x2 = t.coordinate(v + 2, 0);
            float y2 = t.coordinate(v + 2, 1);
            float d0 = (x1 - x0) * (py - y0) - (y1 - y0) * (px - x0);
            float d1 = (x2 - x1) * (py - y1) - (y2 - y1) * (px - x1);
            float d2 = (x0 - x2) * (py - y2) - (y0 - y2) * (px - x2);
            boolean negative = d0 < 0 || d1 < 0 || d2 < 0;
            boolean positive = d0 > 0 || d1 > 0 || d2 > 0;
            if (!(negative && positive)) {
                return true;
            }
        }
        return false;
    }

    private static boolean nearSegment(BuiltTile t, int first, int count, float px, float py,
            float reach) {
        for (int v = first; v + 1 < first + count; v += 2) {
            float x0 = t.coordinate(v, 0);
            float y0 = t.coordinate(v, 1);
            float ex = t.coordinate(v + 1, 0) - x0;
            float ey = t.coordinate(v + 1, 1) - y0;
            float wx = px - x0;
            float wy = py - y0;
            float length2 = ex * ex + ey * ey;
            float u = length2 > 0 ? Math.max(0f, Math.min(1f, (wx * ex + wy * ey) / length2)) : 0f;
            float cx = wx - u * ex;
            float cy = wy - u * ey;
            if (cx * cx + cy * cy <= reach * reach) {
                return true;
            }
        }
        return false;
    }

    private static boolean nearPoint(BuiltTile t, int first, int count, float px, float py,
            float reach) {
        for (int v = first; v < first + count; ++v) {
            float cx = px - t.coordinate(v, 0);
            float cy = py - t.coordinate(v, 1);
            if (cx * cx + cy * cy <= reach * reach) {
                return true;
            }
        }
        return false;
    }

    // Slabs, with a margin that keeps a triangle's own float rounding inside its box.
    private static boolean rayMeetsBox(float[] box, int at, float ax, float ay, float az, float dx,
            float dy, float dz) {
        float near = Float.NEGATIVE_INFINITY;
        float far = Float.POSITIVE_INFINITY;
        float[] origin = {ax, ay, az};
        float[] dir = {dx, dy, dz};
        for (int axis = 0; axis < 3; ++axis) {
            float lo = box[at + axis] - 0.01f;
            float hi = box[at + 3 + axis] + 0.01f;
            if (dir[axis] == 0) {
                if (origin[axis] < lo || origin[axis] > hi) {
                    return false;
                }
                continue;
            }
            float t0 = (lo - origin[axis]) / dir[axis];
            float t1 = (hi - origin[axis]) / dir[axis];
            near = Math.max(near, Math.min(t0, t1));
            far = Math.min(far, Math.max(t0, t1));
        }
        return near <= far * 1.0001f + 1e-4f && far >= 0;
    }

    /** Möller–Trumbore: the ray parameter of the hit, or +infinity for none. */
    private static float rayTriangle(BuiltTile t, int v, float ax, float ay, float az, float dx,
            float dy, float dz) {
        float x0 = t.coordinate(v, 0);
        float y0 = t.coordinate(v, 1);
        float z0 = t.coordinate(v, 2);
        float e1x = t.coordinate(v + 1, 0) - x0;
        float e1y = t.coordinate(v + 1, 1) - y0;
        float e1z = t.coordinate(v + 1, 2) - z0;
        float e2x = t.coordinate(v + 2, 0) - x0;
        float e2y = t.coordinate(v + 2, 1) - y0;
        float e2z = t.coordinate(v + 2, 2) - z0;
        float px = dy * e2z - dz * e2y;
        float py = dz * e2x - dx * e2z;
        float pz = dx * e2y - dy * e2x;
        float det = e1x * px + e1y * py + e1z * pz;
        if (det == 0) {
            return Float.POSITIVE_INFINITY;
        }
        float sx = ax - x0;
        float sy = ay - y0;
        float sz = az - z0;
        float u = (sx * px + sy * py + sz * pz) / det;
        if (u < 0 || u > 1) {
            return Float.POSITIVE_INFINITY;
        }
        float qx = sy * e1z - sz * e1y;
        float qy = sz * e1x - sx * e1z;
        float qz = sx * e1y - sy * e1x;
        float w = (dx * qx + dy * qy + dz * qz) / det;
        if (w < 0 || u + w > 1) {
            return Float.POSITIVE_INFINITY;
        }
        float hit = (e2x * qx + e2y * qy + e2z * qz) / det;
        return hit >= 0 ? hit : Float.POSITIVE_INFINITY;
    }
}
