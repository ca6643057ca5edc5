// The page's loop, run after emscripten's runtime: one step of the world per animation frame
// (never by the clock, which only measures), the picture drawn on the canvas from the world's
// rectangle lists, the caption under it, Space to pause and resume, and the pointer's marks:
// the actors within reach of it and the nearest one, as the engine's queries find them.

/// What the frames took so far, their steps and drawing: the benchmark reads the mean.
Module.frameTiming = {frames: 0, ms: 0};
Module.onRuntimeInitialized = startPage;

function startPage() {
    // No destructuring here or below: emscripten 3.1.6's script optimizer mangles it.
    const encoder = new TextEncoder();
    const argument = (word) => {
        const bytes = encoder.encode(word);
        ccall('pageArgument', null, ['array', 'number'], [bytes, bytes.length]);
    };
    new URLSearchParams(location.search).forEach((value, name) => {
        argument('--' + name);
        argument(value);
    });
    if (!_pageStart()) {
        document.getElementById('demo').hidden = true;
        document.getElementById('usage').hidden = false;
        return;
    }
    const context = document.getElementById('picture').getContext('2d', {alpha: false});
    const caption = document.getElementById('caption');
    const pointerLine = document.getElementById('pointer');
    const pointer = {on: false, column: 0, row: 0};
    let paused = false;
    let frameMs = 0;
    const showCaption = () => {
        caption.textContent = UTF8ToString(_pageCaption(paused, frameMs));
    };
    // The pointer's pixel, in the canvas's own 512 x 512 pixels whatever size it is shown at.
    const markPointer = () => {
        const near = _pagePointer(pointer.on, pointer.column, pointer.row);
        pointerLine.textContent = pointer.on
            ? near + ' actors within 64 units of the pointer; the nearest in white'
            : 'Point at the world to mark the actors near the pointer.';
    };
    const followPointer = (event) => {
        const canvas = context.canvas;
        pointer.on = event.type !== 'mouseleave';
        pointer.column = Math.floor(event.offsetX * canvas.width / canvas.clientWidth);
        pointer.row = Math.floor(event.offsetY * canvas.height / canvas.clientHeight);
        markPointer();
        drawPicture(context, pointer);
    };
    context.canvas.addEventListener('mousemove', followPointer);
    context.canvas.addEventListener('mouseleave', followPointer);
    addEventListener('keydown', (event) => {
        if (event.code === 'Space') {
            paused = !paused;
            showCaption();
            event.preventDefault();
        }
    });
    const nextFrame = () => {
        const start = performance.now();
        if (!paused && _pageStep()) {
            drawPicture(context, pointer);
            frameMs = performance.now() - start;
            Module.frameTiming.frames += 1;
            Module.frameTiming.ms += frameMs;
            showCaption();
        }
        requestAnimationFrame(nextFrame);
    };
    drawPicture(context, pointer);
    markPointer();
    showCaption();
    requestAnimationFrame(nextFrame);
}

function cssColour(argb) {
    return '#' + (argb & 0xffffff).toString(16).padStart(6, '0');
}

/// The background, then each list in its colour, in the order the window clears them, then the
/// pointer's marks and its reach, a circle of 32 pixels, while it is over the canvas. Each
/// rectangle is four LONGs (left, top, right, bottom, the last two exclusive); an empty one
/// paints nothing, as a Clear of it does.
function drawPicture(context, pointer) {
    context.fillStyle = cssColour(_pageColour(0));
    context.fillRect(0, 0, context.canvas.width, context.canvas.height);
    const lists = _pageListCount();
    for (let list = 1; list < lists; ++list) {
        context.fillStyle = cssColour(_pageColour(list));
        const first = _pageRects(list) / 4;
        for (let i = first; i < first + 4 * _pageRectCount(list); i += 4) {
            const left = HEAP32[i];
            const top = HEAP32[i + 1];
            const width = HEAP32[i + 2] - left;
            const height = HEAP32[i + 3] - top;
            if (width > 0 && height > 0) {
                context.fillRect(left, top, width, height);
            }
        }
    }
    if (pointer.on) {
        context.strokeStyle = cssColour(_pageColour(lists - 2));
        context.beginPath();
        context.arc(pointer.column + 0.5, pointer.row + 0.5, 32, 0, 2 * Math.PI);
        context.stroke();
    }
}
