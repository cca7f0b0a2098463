// The inspector's 3D page. The page holds the models as binary glTF in
// base64 (script#meshory-model) and this script, bundled into one classic
// script: pages opened from file:// may neither import modules nor fetch.
//
// The page reports its state on <body> for people and tests (and each layer's
// SVG fill colour on its entry in the layer list, data-fill):
//   data-state   "loading", then "loaded" or "error"
//   data-models  models in the glTF; data-loaded: models in the scene
//   data-labels  labels in the glTF; data-labels-drawn: label texts in the scene
//   data-errors  errors seen (console.error, uncaught errors)
//   data-picked  what the last pick showed
import * as THREE from 'three';
import { GLTFLoader } from 'three/examples/jsm/loaders/GLTFLoader.js';
import { OrbitControls } from 'three/examples/jsm/controls/OrbitControls.js';

const body = document.body;
let errors = 0;
function countError(event) {
  errors += 1;
  body.dataset.errors = String(errors);
  // Before the models are up (no WebGL, say) the page would otherwise only
  // say "loading".
  const status = document.getElementById('status');
  if (status && body.dataset.state !== 'loaded' && event && event.message) {
    status.textContent = `error: ${event.message}`;
  }
}
const consoleError = console.error.bind(console);
console.error = (...args) => {
  countError(null);
  consoleError(...args);
};
window.addEventListener('error', countError);
window.addEventListener('unhandledrejection', countError);
body.dataset.state = 'loading';
body.dataset.errors = '0';

function fail(message) {
  body.dataset.state = 'error';
  document.getElementById('status').textContent = message;
  console.error(message);
}

function decodeBase64(text) {
  const binary = atob(text.replace(/\s+/g, ''));
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i += 1) bytes[i] = binary.charCodeAt(i);
  return bytes.buffer;
}

const renderer = new THREE.WebGLRenderer({ antialias: true, preserveDrawingBuffer: true });
renderer.setPixelRatio(window.devicePixelRatio);
renderer.setSize(window.innerWidth, window.innerHeight);
document.getElementById('view').appendChild(renderer.domElement);

const scene = new THREE.Scene();
scene.background = new THREE.Color(0xdde4ea);
// Roofs come out near their SVG colour, walls darker by the side they face.
scene.add(new THREE.HemisphereLight(0xffffff, 0x6f6a64, 1.7));
const sun = new THREE.DirectionalLight(0xffffff, 1.3);
sun.position.set(-0.5, 1, 0.4);
scene.add(sun);

const camera = new THREE.PerspectiveCamera(45, window.innerWidth / window.innerHeight, 1, 1e6);
const controls = new OrbitControls(camera, renderer.domElement);
controls.enableDamping = false;
controls.screenSpacePanning = true;

function render() {
  renderer.render(scene, camera);
}
controls.addEventListener('change', render);
window.addEventListener('resize', () => {
  camera.aspect = window.innerWidth / window.innerHeight;
  camera.updateProjectionMatrix();
  renderer.setSize(window.innerWidth, window.innerHeight);
  render();
});

// An oblique view from the south over the whole scene, so that heights show.
function frame(root) {
  const box = new THREE.Box3().setFromObject(root);
  if (box.isEmpty()) return;
  const centre = box.getCenter(new THREE.Vector3());
  const size = box.getSize(new THREE.Vector3());
  const radius = Math.max(size.x, size.z, size.y, 1) * 0.5;
  const distance = radius / Math.sin(THREE.MathUtils.degToRad(camera.fov / 2));
  camera.near = distance / 1000;
  camera.far = distance * 10;
  camera.position.set(centre.x, centre.y + distance * 0.7, centre.z + distance * 0.72);
  camera.updateProjectionMatrix();
  controls.target.copy(centre);
  controls.update();
}

// Lines one pixel wide vanish on a light ground in a layer whose SVG lines
// are light and cased (roads): draw them in the casing colour instead.
function applyCasing(layerNode) {
  const casing = layerNode.userData.casing;
  if (!casing) return;
  const colour = new THREE.Color(casing);
  layerNode.traverse((o) => {
    if ((o.isLine || o.isLineSegments) && o.material && o.material.color) {
      o.material = o.material.clone();
      o.material.color.copy(colour);
    }
  });
}

// Ground layers all lie at height 0; offset each layer's depth by its place
// in the layer order, so that later layers win as they do in the SVG instead
// of flickering through each other.
function stackGround(layerNode, index) {
  layerNode.traverse((o) => {
    if (!o.isMesh || !o.material) return;
    o.material = o.material.clone();
    o.material.polygonOffset = true;
    o.material.polygonOffsetFactor = -index;
    o.material.polygonOffsetUnits = -4 * index;
  });
}

// The labels the inspector kept as the SVG keeps them (the scene's
// extras.labels), each a text on a plane lying on the ground along its road,
// in world units. Drawn over everything, as in the SVG: none overlaps
// another on the ground, so none can on the screen either.
const labelInk = '#222222';
const labelHalo = '#ffffff';
const canvasEm = 48; // canvas pixels per em: sharp when the camera comes close

function labelMesh(label, anisotropy) {
  const canvas = document.createElement('canvas');
  const context = canvas.getContext('2d');
  const font = `${label.kind === 'place' ? 'bold ' : ''}${canvasEm}px "DejaVu Sans", sans-serif`;
  const perUnit = canvasEm / label.fontSize;
  const halo = label.halo * perUnit;
  context.font = font;
  canvas.width = Math.ceil(context.measureText(label.text).width + 2 * halo + 4);
  canvas.height = Math.ceil(canvasEm * 1.4 + 2 * halo);
  // Resizing a canvas resets its state.
  context.font = font;
  context.textAlign = 'center';
  context.textBaseline = 'middle';
  context.lineJoin = 'round';
  context.lineWidth = halo;
  context.strokeStyle = labelHalo;
  context.strokeText(label.text, canvas.width / 2, canvas.height / 2);
  context.fillStyle = labelInk;
  context.fillText(label.text, canvas.width / 2, canvas.height / 2);

  const texture = new THREE.CanvasTexture(canvas);
  texture.colorSpace = THREE.SRGBColorSpace;
  texture.anisotropy = anisotropy;
  const material = new THREE.MeshBasicMaterial({ map: texture, transparent: true, depthTest: false, depthWrite: false });
  const mesh = new THREE.Mesh(new THREE.PlaneGeometry(canvas.width / perUnit, canvas.height / perUnit), material);
  mesh.position.fromArray(label.position);
  // Laid flat (text up pointing north), then turned about the vertical to
  // the road: glTF's -z is the library's north.
  mesh.rotation.set(-Math.PI / 2, THREE.MathUtils.degToRad(label.angle), 0, 'YXZ');
  mesh.renderOrder = 1;
  mesh.name = label.text;
  return mesh;
}

// Label meshes by layer id, so that the layer list hides them with their layer.
function addLabels(labels) {
  const group = new THREE.Group();
  group.name = 'labels';
  const byLayer = new Map();
  const anisotropy = renderer.capabilities.getMaxAnisotropy();
  for (const label of labels) {
    if (typeof label.text !== 'string' || !(label.fontSize > 0)) continue;
    const mesh = labelMesh(label, anisotropy);
    group.add(mesh);
    if (!byLayer.has(label.layerId)) byLayer.set(label.layerId, []);
    byLayer.get(label.layerId).push(mesh);
  }
  scene.add(group);
  return byLayer;
}

function layerList(root, labelsByLayer) {
  const list = document.getElementById('layers');
  for (const layer of root.children) {
    const item = document.createElement('label');
    item.dataset.layer = layer.name;
    item.dataset.fill = layer.userData.fill || '';
    const box = document.createElement('input');
    box.type = 'checkbox';
    box.checked = true;
    const labels = labelsByLayer.get(layer.userData.layerId) || [];
    box.addEventListener('change', () => {
      layer.visible = box.checked;
      for (const label of labels) label.visible = box.checked;
      render();
    });
    const swatch = document.createElement('span');
    swatch.className = 'swatch';
    swatch.style.background = layer.userData.fill || '#888888';
    swatch.style.borderColor = layer.userData.casing || layer.userData.stroke || '#555555';
    item.append(box, swatch, document.createTextNode(` ${layer.name} (${layer.children.length})`));
    list.appendChild(item);
  }
}

// The model node is the nearest ancestor that carries the inspector's extras.
function modelOf(object) {
  for (let o = object; o; o = o.parent) {
    if (o.userData && o.userData.layer !== undefined) return o;
  }
  return null;
}

// Shows what lies under the client point (x, y); the text also goes to
// <body data-picked>.
function pickAt(root, x, y) {
  const raycaster = new THREE.Raycaster();
  raycaster.params.Line.threshold = 2;
  raycaster.params.Points.threshold = 3;
  const rect = renderer.domElement.getBoundingClientRect();
  const pointer = new THREE.Vector2(((x - rect.left) / rect.width) * 2 - 1, -((y - rect.top) / rect.height) * 2 + 1);
  raycaster.setFromCamera(pointer, camera);
  const visible = (o) => {
    for (let p = o; p; p = p.parent) if (!p.visible) return false;
    return true;
  };
  const hit = raycaster.intersectObject(root, true).find((h) => visible(h.object) && modelOf(h.object));
  const model = hit && modelOf(hit.object);
  let text = 'nothing here';
  if (model) {
    const d = model.userData;
    text = `layer ${d.layerId} ${d.layer}, id ${d.id}` + (d.label ? `, "${d.label}"` : '');
  }
  document.getElementById('info').textContent = text;
  body.dataset.picked = text;
}

function enablePicking(root) {
  let down = null;
  renderer.domElement.addEventListener('pointerdown', (e) => {
    down = [e.clientX, e.clientY];
  });
  renderer.domElement.addEventListener('pointerup', (e) => {
    // A drag turns the camera; only a click picks.
    if (!down || Math.hypot(e.clientX - down[0], e.clientY - down[1]) > 4) return;
    pickAt(root, e.clientX, e.clientY);
  });
}

function start() {
  const data = document.getElementById('meshory-model');
  if (!data) {
    fail('no model data in the page');
    return;
  }
  new GLTFLoader().parse(
    decodeBase64(data.textContent),
    '',
    (gltf) => {
      const root = gltf.scene;
      scene.add(root);
      let models = 0;
      root.traverse((o) => {
        if (o.userData && o.userData.layer !== undefined) models += 1;
      });
      root.children.forEach(applyCasing);
      root.children.forEach(stackGround);
      frame(root);
      const labels = Array.isArray(root.userData.labels) ? root.userData.labels : [];
      const labelsByLayer = addLabels(labels);
      layerList(root, labelsByLayer);
      enablePicking(root);
      render();
      const nodes = gltf.parser.json.nodes || [];
      body.dataset.models = String(nodes.filter((n) => n.extras && n.extras.layer !== undefined).length);
      body.dataset.loaded = String(models);
      body.dataset.labels = String(labels.length);
      body.dataset.labelsDrawn = String([...labelsByLayer.values()].reduce((n, list) => n + list.length, 0));
      body.dataset.state = 'loaded';
      document.getElementById('status').textContent = `${models} models`;
      // page.html#pick picks at the centre of the view once loaded (a check
      // that picking works, for the browser test).
      if (window.location.hash === '#pick') pickAt(root, window.innerWidth / 2, window.innerHeight / 2);
    },
    (error) => fail(`cannot read the models: ${error && error.message ? error.message : error}`),
  );
}

start();
