// The turnable view of one exported package: plain script, no framework, nothing from the
// network. The package's structure comes from spin-data.js (a script, so that the page works from
// file:// as well as from any web server).
//
// spin.views holds one entry per view the desktop viewer reaches:
//   [picture, column, vertical value, left, right, up, down]
// where picture indexes spin.pictures and the last four are the views one step away.
(function () {
  "use strict";

  var spin = window.gyrolookSpin;
  var stage = document.getElementById("stage");
  var frame = document.getElementById("frame");
  var picture = document.getElementById("picture");
  var hotspot = document.getElementById("hotspot");
  var playButton = document.getElementById("play");
  var loading = document.getElementById("loading");
  var status = document.getElementById("spin-status");
  if (!spin || !stage) return;

  var PICTURE = 0, COLUMN = 1, VERTICAL = 2, LEFT = 3, RIGHT = 4, UP = 5, DOWN = 6;
  var MAX_SCALE = 8;
  var WHEEL_RATE = 0.0015;

  var current = spin.start;
  var scale = 1, panX = 0, panY = 0;
  var spinTimer = 0;

  // --- Showing a view -------------------------------------------------------------------

  function describe(view) {
    var v = view[VERTICAL];
    var where = v === 1 ? "level with it" : v > 1 ? "from above, row " + (v - 1)
                                                 : "from below, row " + (1 - v);
    return spin.title + ": position " + (view[COLUMN] + 1) + " of " + spin.count + ", " + where;
  }

  function show(index) {
    current = index;
    var view = spin.views[index];
    picture.src = spin.pictures[view[PICTURE]];
    stage.dataset.view = String(index);
    stage.dataset.column = String(view[COLUMN]);
    stage.dataset.vertical = String(view[VERTICAL]);
    var rect = spin.hotspots[String(index)];
    if (rect) {
      hotspot.style.left = rect[0] * 100 + "%";
      hotspot.style.top = rect[1] * 100 + "%";
      hotspot.style.width = rect[2] * 100 + "%";
      hotspot.style.height = rect[3] * 100 + "%";
    }
    hotspot.hidden = !rect;
    status.textContent = describe(view);
  }

  function move(direction) {
    var next = spin.views[current][direction];
    if (next !== current) show(next);
  }

  // --- Zoom and panning -----------------------------------------------------------------

  function clampPan() {
    var maxX = (stage.clientWidth * (scale - 1)) / 2;
    var maxY = (stage.clientHeight * (scale - 1)) / 2;
    panX = Math.max(-maxX, Math.min(maxX, panX));
    panY = Math.max(-maxY, Math.min(maxY, panY));
  }

  function applyTransform() {
    clampPan();
    frame.style.transform = "translate(" + panX + "px, " + panY + "px) scale(" + scale + ")";
    stage.classList.toggle("zoomed", scale > 1);
    stage.dataset.scale = scale.toFixed(3);
    stage.dataset.pan = Math.round(panX) + "," + Math.round(panY);
  }

  // Zooms to `next`, keeping the picture point under (x, y) (stage pixels from its centre) where
  // it is.
  function zoomTo(next, x, y) {
    next = Math.max(1, Math.min(MAX_SCALE, next));
    panX = x - ((x - panX) * next) / scale;
    panY = y - ((y - panY) * next) / scale;
    scale = next;
    applyTransform();
  }

  function fromCentre(clientX, clientY) {
    var box = stage.getBoundingClientRect();
    return { x: clientX - box.left - box.width / 2, y: clientY - box.top - box.height / 2 };
  }

  // --- Spinning -------------------------------------------------------------------------

  var reducedMotion = window.matchMedia
    ? window.matchMedia("(prefers-reduced-motion: reduce)")
    : { matches: false };

  function stopSpin() {
    if (!spinTimer) return;
    clearInterval(spinTimer);
    spinTimer = 0;
    playButton.setAttribute("aria-pressed", "false");
    playButton.setAttribute("aria-label", "Spin");
    playButton.title = "Spin";
  }

  function startSpin() {
    if (spinTimer || reducedMotion.matches) return;
    // One turn of the horizontal ring in spin.turnSeconds.
    var interval = Math.max(16, (spin.turnSeconds * 1000) / spin.count);
    spinTimer = setInterval(function () { move(RIGHT); }, interval);
    playButton.setAttribute("aria-pressed", "true");
    playButton.setAttribute("aria-label", "Stop spinning");
    playButton.title = "Stop spinning";
  }

  function followMotionSetting() {
    playButton.hidden = reducedMotion.matches;
    if (reducedMotion.matches) stopSpin();
  }

  playButton.addEventListener("click", function () {
    if (spinTimer) stopSpin();
    else startSpin();
  });
  if (reducedMotion.addEventListener)
    reducedMotion.addEventListener("change", followMotionSetting);
  followMotionSetting();

  // --- Pointers: drag to turn, drag a zoomed picture to move it, pinch to zoom -----------

  var pointers = new Map();
  var drag = null;  // { x, y, steppedX, steppedY, panX, panY }
  var pinch = null; // { distance, scale }

  function stepSizes() {
    var rows = 1 + spin.upperRows + spin.lowerRows;
    return {
      x: Math.max(4, Math.min(24, Math.round(stage.clientWidth / spin.count))),
      y: Math.max(12, Math.round(stage.clientHeight / (rows + 1)))
    };
  }

  function pinchDistance() {
    var p = Array.from(pointers.values());
    return Math.hypot(p[0].x - p[1].x, p[0].y - p[1].y) || 1;
  }

  function beginDrag(e) {
    drag = { x: e.clientX, y: e.clientY, steppedX: 0, steppedY: 0, panX: panX, panY: panY };
  }

  stage.addEventListener("pointerdown", function (e) {
    stopSpin();
    stage.focus({ preventScroll: true });
    stage.setPointerCapture(e.pointerId);
    pointers.set(e.pointerId, { x: e.clientX, y: e.clientY });
    if (pointers.size === 2) {
      drag = null;
      pinch = { distance: pinchDistance(), scale: scale };
    } else if (pointers.size === 1) {
      beginDrag(e);
    }
  });

  stage.addEventListener("pointermove", function (e) {
    if (!pointers.has(e.pointerId)) return;
    pointers.set(e.pointerId, { x: e.clientX, y: e.clientY });
    if (pinch && pointers.size >= 2) {
      var p = Array.from(pointers.values());
      var middle = fromCentre((p[0].x + p[1].x) / 2, (p[0].y + p[1].y) / 2);
      zoomTo((pinch.scale * pinchDistance()) / pinch.distance, middle.x, middle.y);
      return;
    }
    if (!drag) return;
    var dx = e.clientX - drag.x, dy = e.clientY - drag.y;
    if (scale > 1) {
      panX = drag.panX + dx;
      panY = drag.panY + dy;
      applyTransform();
      return;
    }
    // Dragging right turns like the horizontal bar moving right, dragging up raises the view.
    var size = stepSizes();
    var wantX = Math.trunc(dx / size.x), wantY = Math.trunc(-dy / size.y);
    while (drag.steppedX < wantX) { move(RIGHT); drag.steppedX++; }
    while (drag.steppedX > wantX) { move(LEFT); drag.steppedX--; }
    while (drag.steppedY < wantY) { move(UP); drag.steppedY++; }
    while (drag.steppedY > wantY) { move(DOWN); drag.steppedY--; }
  });

  function endPointer(e) {
    if (!pointers.delete(e.pointerId)) return;
    if (pointers.size < 2) pinch = null;
    if (pointers.size === 1) {
      var rest = pointers.values().next().value;
      beginDrag({ clientX: rest.x, clientY: rest.y });
    } else if (pointers.size === 0) {
      drag = null;
    }
  }
  stage.addEventListener("pointerup", endPointer);
  stage.addEventListener("pointercancel", endPointer);

  stage.addEventListener("dblclick", function () {
    scale = 1;
    panX = panY = 0;
    applyTransform();
  });

  stage.addEventListener("wheel", function (e) {
    e.preventDefault();
    stopSpin();
    var at = fromCentre(e.clientX, e.clientY);
    var delta = e.deltaMode === 1 ? e.deltaY * 33 : e.deltaY;
    zoomTo(scale * Math.exp(-delta * WHEEL_RATE), at.x, at.y);
  }, { passive: false });

  // --- Keys -----------------------------------------------------------------------------

  var keys = {
    ArrowLeft: function () { move(LEFT); },
    ArrowRight: function () { move(RIGHT); },
    ArrowUp: function () { move(UP); },
    ArrowDown: function () { move(DOWN); },
    Home: function () { show(spin.start); },
    "+": function () { zoomTo(scale * 1.25, 0, 0); },
    "=": function () { zoomTo(scale * 1.25, 0, 0); },
    "-": function () { zoomTo(scale / 1.25, 0, 0); },
    "0": function () { zoomTo(1, 0, 0); }
  };
  stage.addEventListener("keydown", function (e) {
    var action = keys[e.key];
    if (!action || e.altKey || e.ctrlKey || e.metaKey) return;
    e.preventDefault();
    stopSpin();
    action();
  });

  // --- Loading every picture after the first -------------------------------------------

  // Nearest first: the pictures one turn step away on the horizontal ring, then the rings.
  function loadingOrder() {
    var order = [], seen = {};
    var first = spin.views[spin.start][PICTURE];
    seen[first] = true;
    for (var i = 0; i < spin.views.length; ++i) {
      var p = spin.views[i][PICTURE];
      if (!seen[p]) { seen[p] = true; order.push(p); }
    }
    return order;
  }

  var held = [];  // decoded pictures stay referenced, so turning never waits for a decode
  function loadRest() {
    var order = loadingOrder(), next = 0, done = 1, running = 0;
    loading.max = order.length + 1;
    function finished() {
      loading.value = ++done;
      --running;
      if (done > order.length) {
        loading.hidden = true;
        stage.dataset.loaded = "true";
      }
      start();
    }
    function start() {
      while (running < 4 && next < order.length) {
        var image = new Image();
        held.push(image);
        image.decoding = "async";
        image.src = spin.pictures[order[next++]];
        ++running;
        (image.decode ? image.decode() : Promise.resolve()).then(finished, finished);
      }
    }
    if (order.length === 0) {
      loading.hidden = true;
      stage.dataset.loaded = "true";
    }
    start();
  }

  function noteStepSizes() {
    var size = stepSizes();
    stage.dataset.stepX = String(size.x);
    stage.dataset.stepY = String(size.y);
  }
  window.addEventListener("resize", function () {
    noteStepSizes();
    applyTransform();
  });

  show(spin.start);
  applyTransform();
  noteStepSizes();
  // The first picture comes with the page; the others once it has loaded, so that they never
  // hold up its load.
  if (document.readyState === "complete") loadRest();
  else window.addEventListener("load", loadRest);
})();
