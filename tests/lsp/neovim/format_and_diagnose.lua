-- Run by run.sh with the untidy file in the current buffer. Prints what it
-- checks and leaves Neovim with status 0 only when every check held.
local function fail(message)
  io.stdout:write('FAIL: ' .. message .. '\n')
  vim.cmd('cquit 1')
end

local function read_lines(path)
  local lines = {}
  for line in io.lines(path) do table.insert(lines, line) end
  return lines
end

local buffer = vim.api.nvim_get_current_buf()
local client_id = vim.lsp.start_client({
  name = 'voromel-lsp',
  cmd = { os.getenv('VOROMEL_LSP') },
  root_dir = vim.fn.getcwd(),
})
if not client_id then return fail('the client did not start') end
vim.lsp.buf_attach_client(buffer, client_id)

local client = vim.lsp.get_client_by_id(client_id)
if not vim.wait(10000, function() return client.initialized end, 20) then
  return fail('the server did not answer initialize')
end

-- Formatting turns the buffer into the canonical text.
local answer = client.request_sync('textDocument/formatting', {
  textDocument = { uri = vim.uri_from_bufnr(buffer) },
  options = { tabSize = 4, insertSpaces = true },
}, 10000, buffer)
if not answer or answer.err then return fail('formatting failed: ' .. vim.inspect(answer)) end
vim.lsp.util.apply_text_edits(answer.result, buffer, client.offset_encoding)
local formatted = vim.api.nvim_buf_get_lines(buffer, 0, -1, false)
local expected = read_lines(os.getenv('VOROMEL_EXPECTED'))
if not vim.deep_equal(formatted, expected) then
  return fail('formatted buffer:\n' .. table.concat(formatted, '\n'))
end
io.stdout:write('formatted: ' .. #formatted .. ' lines as expected\n')

-- A broken layer line gets a diagnostic on that line with the tool's text.
vim.api.nvim_buf_set_lines(buffer, 0, -1, false,
  { '# Layers', '', '## lead', '@volume 1', '@gain 2' })
local diagnostics = {}
vim.wait(10000, function()
  diagnostics = vim.diagnostic.get(buffer)
  return #diagnostics > 0
end, 20)
if #diagnostics ~= 1 then return fail('diagnostics: ' .. vim.inspect(diagnostics)) end
local diagnostic = diagnostics[1]
local message = "line 5: line 2: unknown layer directive 'gain'"
if diagnostic.lnum ~= 4 or diagnostic.message ~= message
    or diagnostic.severity ~= vim.diagnostic.severity.ERROR then
  return fail('diagnostic: ' .. vim.inspect(diagnostic))
end
io.stdout:write('diagnostic on line ' .. (diagnostic.lnum + 1) .. ': ' .. diagnostic.message .. '\n')

client.stop()
vim.cmd('qall!')
