// The hands on the turnable view: a drag turns the object the way its front moves under the
// pointer and climbs the rings after a deliberate move up or down, a flick keeps it turning and
// slows down, two fingers pinch to zoom, a zoomed picture is dragged to move it; Ctrl + wheel
// zooms and a plain wheel scrolls the page; the keys turn, zoom and go full screen.
window.gyrolookSpinInput = function (root, stage, spin, view, page) {
  "use strict";

  var LEFT = 3, RIGHT = 4, UP = 5, DOWN = 6;
  var WHEEL_RATE = 0.0015;
  var LOCK = 10;          // pixels a drag moves before it is taken as across or up and down
  var GLIDE_START = 0.4;  // pixels a millisecond a flick needs to keep turning
  var GLIDE_TIME = 325;   // how quickly a flick's turning slows down (ms)

  var pointers = new Map();
  var drag = null;  // { x, y, axis, steppedX, steppedY, panX, panY, samples }
  var pinch = null; // { distance, scale }
  var glide = 0;

  function pinchDistance() {
    var p = Array.from(pointers.values());
    return Math.hypot(p[0].x - p[1].x, p[0].y - p[1].y) || 1;
  }

  function beginDrag(x, y) {
    drag = { x: x, y: y, axis: null, steppedX: 0, steppedY: 0, panX: view.panX,
             panY: view.panY, samples: [] };
  }

  function stopGlide() {
    if (!glide) return;
    cancelAnimationFrame(glide);
    glide = 0;
    view.quiet = false;
    view.announce();
  }

  // Turns to where a drag of (dx, dy) from its start leads. Across, the object follows the hand
  // (spin.dragSign -1: dragging right shows the picture before); up raises the view.
  function turnTo(state, dx, dy) {
    var size = view.stepSizes();
    if (state.axis === "x") {
      var want = Math.trunc((dx * spin.dragSign) / size.x);
      while (state.steppedX < want) { view.move(RIGHT); state.steppedX++; }
      while (state.steppedX > want) { view.move(LEFT); state.steppedX--; }
    } else if (state.axis === "y") {
      var wantY = Math.trunc(-dy / size.y);
      while (state.steppedY < wantY) { view.move(UP); state.steppedY++; }
      while (state.steppedY > wantY) { view.move(DOWN); state.steppedY--; }
    }
  }

  // A flick: the drag goes on at the speed it was let go with, slowing down.
  function glideFrom(state, dx) {
    var recent = state.samples.filter(function (s) { return performance.now() - s.t < 100; });
    if (recent.length < 2 || page.reducedMotion.matches) return;
    var first = recent[0], last = recent[recent.length - 1];
    var speed = (last.x - first.x) / Math.max(1, last.t - first.t);
    if (Math.abs(speed) < GLIDE_START) return;
    var offset = dx, then = performance.now();
    view.quiet = true;
    function frame(now) {
      var dt = Math.max(0, now - then);
      then = now;
      offset += speed * dt;
      speed *= Math.exp(-dt / GLIDE_TIME);
      turnTo(state, offset, 0);
      if (Math.abs(speed) > 0.05) glide = requestAnimationFrame(frame);
      else { glide = 0; view.quiet = false; view.announce(); }
    }
    glide = requestAnimationFrame(frame);
  }

  stage.addEventListener("pointerdown", function (e) {
    page.touched();
    stopGlide();
    stage.focus({ preventScroll: true });
    stage.setPointerCapture(e.pointerId);
    pointers.set(e.pointerId, { x: e.clientX, y: e.clientY });
    if (pointers.size === 2) {
      drag = null;
      pinch = { distance: pinchDistance(), scale: view.scale };
    } else if (pointers.size === 1) {
      beginDrag(e.clientX, e.clientY);
    }
  });

  stage.addEventListener("pointermove", function (e) {
    if (!pointers.has(e.pointerId)) return;
    pointers.set(e.pointerId, { x: e.clientX, y: e.clientY });
    if (pinch && pointers.size >= 2) {
      var p = Array.from(pointers.values());
      var middle = view.fromCentre((p[0].x + p[1].x) / 2, (p[0].y + p[1].y) / 2);
      view.zoomTo((pinch.scale * pinchDistance()) / pinch.distance, middle.x, middle.y);
      return;
    }
    if (!drag) return;
    var dx = e.clientX - drag.x, dy = e.clientY - drag.y;
    if (view.scale > 1) {
      view.panX = drag.panX + dx;
      view.panY = drag.panY + dy;
      view.applyTransform();
      return;
    }
    // Up and down only when clearly meant, so that a sideways drag never slips onto a ring.
    if (!drag.axis && Math.hypot(dx, dy) >= LOCK)
      drag.axis = Math.abs(dy) > 2 * Math.abs(dx) ? "y" : "x";
    drag.samples.push({ t: performance.now(), x: dx });
    if (drag.samples.length > 20) drag.samples.shift();
    turnTo(drag, dx, dy);
  });

  function endPointer(e) {
    if (!pointers.delete(e.pointerId)) return;
    if (pointers.size < 2) pinch = null;
    if (pointers.size === 1) {
      var rest = pointers.values().next().value;
      beginDrag(rest.x, rest.y);
    } else if (pointers.size === 0) {
      if (e.type === "pointerup" && drag && drag.axis === "x" && view.scale === 1)
        glideFrom(drag, e.clientX - drag.x);
      drag = null;
    }
  }
  stage.addEventListener("pointerup", endPointer);
  stage.addEventListener("pointercancel", endPointer);

  stage.addEventListener("dblclick", function () {
    view.zoomTo(1, 0, 0);
    view.panX = view.panY = 0;
    view.applyTransform();
  });

  // A plain wheel scrolls the page; the first time, a hint says how to zoom.
  var hinted = false;
  stage.addEventListener("wheel", function (e) {
    if (!e.ctrlKey) {
      if (hinted || !page.hint) return;
      hinted = true;
      page.hint.hidden = false;
      setTimeout(function () { page.hint.hidden = true; }, 1500);
      return;
    }
    e.preventDefault();
    page.touched();
    var at = view.fromCentre(e.clientX, e.clientY);
    var delta = e.deltaMode === 1 ? e.deltaY * 33 : e.deltaY;
    view.zoomTo(view.scale * Math.exp(-delta * WHEEL_RATE), at.x, at.y);
  }, { passive: false });

  var keys = {
    ArrowLeft: function () { view.move(LEFT); },
    ArrowRight: function () { view.move(RIGHT); },
    ArrowUp: function () { view.move(UP); },
    ArrowDown: function () { view.move(DOWN); },
    Home: function () { view.show(spin.start); },
    "+": function () { view.zoomTo(view.scale * 1.25, 0, 0); },
    "=": function () { view.zoomTo(view.scale * 1.25, 0, 0); },
    "-": function () { view.zoomTo(view.scale / 1.25, 0, 0); },
    "0": function () { view.zoomTo(1, 0, 0); },
    f: page.toggleFullScreen,
    F: page.toggleFullScreen
  };
  stage.addEventListener("keydown", function (e) {
    var action = keys[e.key];
    if (!action || e.altKey || e.ctrlKey || e.metaKey) return;
    e.preventDefault();
    page.touched();
    stopGlide();
    action();
  });
};
